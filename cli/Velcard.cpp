#include "cli/Velcard.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>

#include "cli/ExchangeCommands.h"
#include "cli/SnapshotCommands.h"
#include "cli/StoreCommands.h"
#include "gis/Crs.h"

namespace vel::cli {
namespace {

constexpr std::array kVerbs{
    Verb{"create", "IMAGE MODEL [SECTORS]",
         "create a new formatted image (SECTORS: 8704, RX3-8 only)", 2, 3, createCommand},
    Verb{"format", "IMAGE [MODEL [SECTORS]]", "empty the record area", 1, 3, formatCommand},
    Verb{"info", "IMAGE", "model, sectors, jobs, known points, capacity, free records", 1, 1,
         infoCommand},
    Verb{"jobs", "IMAGE", "list the jobs", 1, 1, jobsCommand},
    Verb{"records", "IMAGE JOB", "list the records of a job as the job viewer shows them", 2, 2,
         recordsCommand},
    Verb{"known", "IMAGE", "list the known points", 1, 1, knownCommand},
    Verb{"codes", "IMAGE", "list the feature codes", 1, 1, codesCommand},
    Verb{"new-job", "IMAGE NAME", "create a job", 2, 2, newJobCommand},
    Verb{"rename-job", "IMAGE JOB NEWNAME", "rename a job", 3, 3, renameJobCommand},
    Verb{"delete-job", "IMAGE JOB", "delete a job with its records", 2, 2, deleteJobCommand},
    Verb{"add-point", "IMAGE JOB NAME N E Z", "store one point as the coordinate dialog does", 6, 6,
         addPointCommand},
    Verb{"delete-record", "IMAGE JOB INDEX", "delete record INDEX (from 0) of a job", 3, 3,
         deleteRecordCommand},
    Verb{"clear-known", "IMAGE", "delete every known point", 1, 1, clearKnownCommand},
    Verb{"add-code", "IMAGE CODE", "add a feature code", 2, 2, addCodeCommand},
    Verb{"delete-code", "IMAGE POSITION", "delete the feature code at POSITION (from 0)", 2, 2,
         deleteCodeCommand},
    Verb{"clear-codes", "IMAGE", "delete every feature code", 1, 1, clearCodesCommand},
    Verb{"export", "IMAGE JOB [FORMAT] OUTFILE", "write the points of a job (OUTFILE - : stdout)",
         3, 4, exportCommand},
    Verb{"import", "IMAGE JOB [FORMAT] INFILE [OPTIONS]",
         "store the points of a file (FORMAT 1 to 6, 8 to 13)", 3, 12, importCommand},
    Verb{"backup", "IMAGE", "keep a snapshot of the image now", 1, 1, backupCommand},
    Verb{"backups", "IMAGE [--all]",
         "list the snapshots of this image on its card (--all: on every card), newest first", 1, 2,
         backupsCommand},
    Verb{"restore", "IMAGE N [--to NEW] [--from-other-card]",
         "put snapshot N back (1: the newest), or into a new file NEW", 2, 5, restoreCommand},
};

const Verb* findVerb(const std::string& name) {
  for (const Verb& verb : kVerbs) {
    if (name == verb.name) return &verb;
  }
  return nullptr;
}

// --wait SECONDS: whole or decimal seconds, at most a day.
std::chrono::milliseconds parseWait(const std::string& text) {
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  const bool digitsOnly = whole.find_first_not_of("0123456789") == std::string::npos &&
                          fraction.find_first_not_of("0123456789") == std::string::npos;
  if (!digitsOnly || (whole.empty() && fraction.empty()) || whole.size() > 5) {
    failUsage("--wait takes a number of seconds: " + text);
  }
  long long milliseconds = whole.empty() ? 0 : std::stoll(whole) * 1000;
  for (size_t i = 0, scale = 100; i < fraction.size() && i < 3; ++i, scale /= 10) {
    milliseconds += (fraction[i] - '0') * static_cast<long long>(scale);
  }
  return std::chrono::milliseconds(std::min(milliseconds, 86400000LL));
}

int report(const CommandFailure& failure, std::ostream& err) {
  if (!failure.message.empty()) err << failure.message << '\n';
  if (failure.showUsage) printUsage(err);
  return failure.status;
}

}  // namespace

std::span<const Verb> verbs() {
  return kVerbs;
}

void printUsage(std::ostream& out) {
  out << "Usage: velcard [--wait SECONDS] [--no-backup] [--crs CRS] COMMAND IMAGE [ARGUMENTS]\n"
         "       velcard --help | --version\n"
         "\n"
         "commands:\n";
  for (const Verb& verb : kVerbs) {
    std::string synopsis = std::string(verb.name) + " " + verb.arguments;
    out << "  " << synopsis;
    for (size_t width = synopsis.size(); width < 36; ++width) out << ' ';
    out << ' ' << verb.summary << '\n';
  }
  out << "\n"
         "MODEL is RX3-8, RX2-8, RX3-32 or RX9-32. JOB is a job name (any letter case),\n"
         "or --known for the known-point file where a command takes it.\n"
         "Names and codes keep digits, letters (made capitals) and .-#$%!&@+*/, 8 at most.\n"
         "FORMAT is 1 to 7 or qpl, pts, scs2002, sv300, cass, csv, dxf (dxf: export only),\n"
         "or for GIS and CAD (export) 8 to 13 or gpkg, shp, geojson, kml, gis-csv, cad-dxf;\n"
         "an OUTFILE ending in .gpkg, .shp, .geojson or .kml names its FORMAT. Every GIS\n"
         "point has name, code, kind, job, n, e, z to the millimetre, x the easting.\n"
         "import of a GIS or CAD file (into the image's CRS; a file with a CRS into an\n"
         "image without one, or the other way round, is refused): --layer NAME (else the\n"
         "first with points), --name-field F, --code-field F, --z-field F (else guessed\n"
         "from the field names; Z else the geometry's), --lines (the vertices of lines\n"
         "and areas too, named L1, L2 ...). A text file whose first lines do not fit\n"
         "its FORMAT is said on stderr with the format that fits, then read as told;\n"
         "import --strict makes that a usage error (exit 1, nothing stored).\n"
         "\n"
         "Options (before the command):\n"
         "  --wait SECONDS  wait that long for another program to let go of the image\n"
         "                  (default 10)\n"
         "  --no-backup     keep no snapshot before format, delete-job, rename-job,\n"
         "                  delete-record, clear-known, delete-code, clear-codes, import\n"
         "                  and restore\n"
         "  --crs CRS       the coordinate reference system of the image's N and E:\n"
         "                  EPSG:N, or local (a site grid); default the one last chosen\n"
         "                  for the image, else local. GeoJSON and KML need one.\n"
         "  --help          this text\n"
         "  --version       the version\n"
         "\n"
         "Snapshots are kept in $VEL_BACKUP_DIR, else ~/.local/share/vel-reader/backups.\n"
         "Those of another card with the same image name are listed by backups --all and\n"
         "restored only with --from-other-card (N then counts the --all list, as with --to).\n"
         "\n"
         "A write-protected card, an image with more than one name (hard link), a link to\n"
         "a file outside its folder, or an image whose size does not fit its model is\n"
         "read: listings, export and backup work; changes exit 1 with the reason.\n"
         "A change interrupted earlier is put back when the image is opened, unless the\n"
         "image was written since (by the instrument): then the journal (IMAGE.JNL) is\n"
         "kept aside as IMAGE.YYYYMMDD-HHMMSS.JNL, nothing is put back, and this is said.\n"
         "\n"
         "exit status: 0 done, 1 usage or I/O error, 2 refused, 3 image not recognised\n";
}

int runVelcard(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    printUsage(out);
    return kExitDone;
  }
  Streams io{out, err};
  int status = kExitDone;
  try {
    // Global options come before the command.
    while (!args.empty() &&
           (args[0] == "--wait" || args[0] == "--no-backup" || args[0] == "--crs")) {
      if (args[0] == "--no-backup") {
        io.snapshots = false;
        args = args.subspan(1);
        continue;
      }
      if (args[0] == "--crs") {
        if (args.size() < 2) failUsage("--crs takes EPSG:N or local");
        io.crs = parseCrsText(args[1]);
        if (!io.crs) failUsage("--crs takes EPSG:N or local: " + args[1]);
        args = args.subspan(2);
        continue;
      }
      if (args.size() < 2) failUsage("--wait takes a number of seconds");
      io.lockWait = parseWait(args[1]);
      args = args.subspan(2);
    }
    if (args.empty()) failUsage("no command given");
    const Verb* verb = findVerb(args[0]);
    if (verb == nullptr) failUsage("unknown command " + args[0]);
    CommandArgs rest = args.subspan(1);
    if (rest.size() < verb->minArgs || rest.size() > verb->maxArgs) {
      failUsage(std::string("wrong number of arguments for ") + verb->name);
    }
    status = verb->run(rest, io);
  } catch (const CommandFailure& failure) {
    status = report(failure, err);
  } catch (const std::exception& e) {
    err << "velcard: " << e.what() << '\n';
    status = kExitUsage;
  }
  out.flush();
  if (!out) {
    err << "velcard: cannot write to standard output\n";
    if (status == kExitDone) status = kExitUsage;
  }
  return status;
}

}  // namespace vel::cli
