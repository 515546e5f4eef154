// Everything the program asks or tells the user in a box of its own: Yes/No
// questions, OK notices, file dialogs and the timed popup. The windows reach
// them only through Prompts, so that tests can answer in their place.
#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

class QWidget;

namespace vel {

enum class PromptIcon { kQuestion, kExclamation, kInformation };

// A file dialog as the windows keep it between uses: the choice is written
// back into fileName and filterIndex, so the next use starts from it.
struct FileDialogSettings {
  QString title;
  QString filter;       // "description|mask|description|mask..."
  int filterIndex = 1;  // 1-based place in the filter list
  QString defaultExt;   // for a name typed without extension when the filter names none
  QString initialDir;
  QString fileName;
  bool overwritePrompt = false;  // save dialogs: ask before replacing a file
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A Yes/No box whose default button is "No" (or "Yes" when the question
  // offers what fits). True for "Yes".
  virtual bool askYesNo(QWidget* parent, const QString& caption, const QString& text,
                        PromptIcon icon, bool yesIsDefault = false) = 0;
  virtual void showOk(QWidget* parent, const QString& caption, const QString& text,
                      PromptIcon icon) = 0;
  // True when the user chose a file; it is then in settings.fileName.
  virtual bool openFile(QWidget* parent, FileDialogSettings& settings) = 0;
  virtual bool saveFile(QWidget* parent, FileDialogSettings& settings) = 0;
  // Returns when the popup has closed.
  virtual void showTimedMessage(QWidget* parent, const QString& text) = 0;
};

// The real boxes and dialogs.
class QtPrompts final : public Prompts {
 public:
  bool askYesNo(QWidget* parent, const QString& caption, const QString& text, PromptIcon icon,
                bool yesIsDefault = false) override;
  void showOk(QWidget* parent, const QString& caption, const QString& text,
              PromptIcon icon) override;
  bool openFile(QWidget* parent, FileDialogSettings& settings) override;
  bool saveFile(QWidget* parent, FileDialogSettings& settings) override;
  void showTimedMessage(QWidget* parent, const QString& text) override;
};

// The dialogs QtPrompts shows, set up but not yet shown, so that their
// settings can be checked on their own.
std::unique_ptr<QMessageBox> makeYesNoBox(QWidget* parent, const QString& caption,
                                          const QString& text, PromptIcon icon,
                                          bool yesIsDefault = false);
std::unique_ptr<QMessageBox> makeOkBox(QWidget* parent, const QString& caption, const QString& text,
                                       PromptIcon icon);
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialogSettings& settings,
                                            QFileDialog::AcceptMode mode);
// Writes the dialog's choice back into the settings. A name typed without
// extension gets that of the chosen filter (completeTypedFileName).
void readBackFileDialog(const QFileDialog& dialog, FileDialogSettings& settings);

// The extension a name typed without one gets: that of the filter's first
// mask ("CASS5.X文件(*.DAT)" gives "DAT"), or the default extension when the
// filter names none.
QString dialogExtension(const FileDialogSettings& settings, int filterIndex);

// "description|mask|..." as the dialog's name filters, one per pair, each
// ending in its masks in parentheses.
QStringList nameFiltersOf(const QString& filter);

}  // namespace vel
