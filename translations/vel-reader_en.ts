<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>MessageTexts</name>
    <message>
        <source>输入的坐标数据超出最大范围:<byte value="xd"/>
(-999999.999m~9999999.999m)<byte value="xd"/>
请重新输入!</source>
        <translation>The coordinate is out of range:<byte value="xd"/>
(-999999.999 m to 9999999.999 m)<byte value="xd"/>
Please enter it again.</translation>
    </message>
    <message>
        <source>有文件重名，创建文件失败！</source>
        <translation>A job of that name exists already; the job was not created.</translation>
    </message>
    <message>
        <source>创建文件失败！</source>
        <translation>The job could not be created.</translation>
    </message>
    <message>
        <source>有同名文件,无法重命名！</source>
        <translation>A job of that name exists already; it cannot be renamed.</translation>
    </message>
    <message>
        <source>文件已满！</source>
        <translation>The job is full.</translation>
    </message>
    <message>
        <source>已知点文件已满！</source>
        <translation>The known-point file is full.</translation>
    </message>
    <message>
        <source>文件已满，无法存贮全部数据！</source>
        <translation>The job is full; not all the data could be stored.</translation>
    </message>
    <message>
        <source>记录区已满，无法再存贮数据！</source>
        <translation>The record area is full; no more data can be stored.</translation>
    </message>
    <message>
        <source>特征码库已满，无法再输入!</source>
        <translation>The feature code library is full; no more codes can be entered.</translation>
    </message>
    <message>
        <source>记录区写入失败，请检查存储卡！</source>
        <translation>Writing to the record area failed. Please check the card.</translation>
    </message>
    <message>
        <source>数据格式不符，无法导入！</source>
        <translation>The data is not in the chosen format; it cannot be imported.</translation>
    </message>
    <message>
        <source>导入错误！</source>
        <translation>Import error.</translation>
    </message>
    <message>
        <source>第%1行没有逗号</source>
        <translation>Line %1 has no comma</translation>
    </message>
    <message>
        <source>无法读取文件：%1<byte value="xd"/>
%2</source>
        <translation>Cannot read the file: %1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>第%1种格式不能导入</source>
        <translation>Format %1 cannot be imported</translation>
    </message>
    <message>
        <source>点数行或结束行与文件不符</source>
        <translation>The point-count line or the end line does not match the file</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>The file does not exist</translation>
    </message>
    <message>
        <source>路径中有一段不是文件夹</source>
        <translation>A component of the path is not a folder</translation>
    </message>
    <message>
        <source>没有读取权限</source>
        <translation>No permission to read</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>This is a folder</translation>
    </message>
    <message>
        <source>文件大于64 MiB，无法导入</source>
        <translation>The file is larger than 64 MiB; it cannot be imported</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>The file name is too long</translation>
    </message>
    <message>
        <source>读取时发生输入输出错误</source>
        <translation>An input/output error occurred while reading</translation>
    </message>
    <message>
        <source>系统错误%1：%2</source>
        <translation>System error %1: %2</translation>
    </message>
    <message>
        <source>无法保存备份，操作已取消：</source>
        <translation>Could not keep a backup, so nothing was done: </translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>The disk is full</translation>
    </message>
    <message>
        <source>没有写入权限</source>
        <translation>No permission to write</translation>
    </message>
    <message>
        <source>记录区文件大于16 MiB</source>
        <translation>The record-area file is larger than 16 MiB</translation>
    </message>
    <message>
        <source>备份与当前记录区的大小或机型不同，无法恢复！</source>
        <translation>The backup differs from the current record area in size or model; it cannot be restored.</translation>
    </message>
    <message>
        <source>备份文件已损坏或丢失，无法恢复！</source>
        <translation>The backup file is damaged or missing; it cannot be restored.</translation>
    </message>
    <message>
        <source>存储卡处于写保护状态（或文件只读），记录区只能读取，不能修改！</source>
        <translation>The card is write-protected (or the file is read-only): the record area can be read but not changed.</translation>
    </message>
    <message>
        <source>记录区文件有不止一个名字（硬链接），只能读取，不能修改！<byte value="xd"/>
请复制该文件后再修改。</source>
        <translation>The record area file has more than one name (a hard link): it can be read but not changed.<byte value="xd"/>
Copy the file to change it.</translation>
    </message>
    <message>
        <source>记录区文件是指向其文件夹之外的链接，只能读取，不能修改！</source>
        <translation>The record area file is a link to a file outside its folder: it can be read but not changed.</translation>
    </message>
    <message>
        <source>记录区文件的大小（%1字节）与机型%2不符（应为%3字节），只能读取，不能修改！</source>
        <translation>The record area file&apos;s size (%1 bytes) does not fit the model %2 (%3 bytes): it can be read but not changed.</translation>
    </message>
    <message>
        <source>上次对记录区的修改被中断，此后存储卡又被写入过（例如在仪器上）。为不丢失这些数据，中断的修改没有被撤销，记录区按现在的内容打开，未作任何改动。<byte value="xd"/>
修改记录已另存为：%1</source>
        <translation>The last change to the record area was interrupted, and the card was written since (on the instrument, say). So that nothing written since is lost, the interrupted change was not undone: the record area is opened as it is, with nothing changed.<byte value="xd"/>
The change&apos;s journal was kept as: %1</translation>
    </message>
    <message>
        <source>上次对记录区的修改被中断。存储卡不能写入，无法在卡上撤销；现在显示的是修改之前的内容。</source>
        <translation>The last change to the record area was interrupted. The card cannot be written, so it cannot be undone on the card; what is shown is the record area as it was before that change.</translation>
    </message>
    <message>
        <source>上次对记录区的修改被中断，此后存储卡又被写入过；记录区按现在的内容显示，未作任何改动。</source>
        <translation>The last change to the record area was interrupted, and the card was written since; the record area is shown as it is, with nothing changed.</translation>
    </message>
    <message>
        <source>修改已写入记录区，但存储卡没有确认写入完成；请先安全移除存储卡再拔出。</source>
        <translation>The change is written to the record area, but the card did not confirm it; eject the card safely before you pull it out.</translation>
    </message>
    <message>
        <source>这不是普通文件（是管道或设备）</source>
        <translation>It is not an ordinary file (a pipe or a device)</translation>
    </message>
    <message>
        <source>第%1行含有空字节（NUL），这不是文本文件，整个文件未导入</source>
        <translation>Line %1 holds a NUL byte: this is no text file, and nothing of it was imported</translation>
    </message>
    <message>
        <source>文件是UTF-16编码，请先另存为GBK(ANSI)编码，整个文件未导入</source>
        <translation>The file is in UTF-16: save it as GBK (ANSI) first; nothing of it was imported</translation>
    </message>
    <message>
        <source>文件名已被占用（或是一个链接）</source>
        <translation>The file name is taken (or is a link)</translation>
    </message>
    <message>
        <source>另一个程序正在使用备份文件夹</source>
        <translation>Another program is using the backup folder</translation>
    </message>
    <message>
        <source>无法读取备份索引%1，操作已取消，备份均未改动：<byte value="xd"/>
%2</source>
        <translation>Cannot read the backup index %1; the action was cancelled and no backup was changed:<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>这个备份来自另一张存储卡，没有恢复！</source>
        <translation>This backup is of another card: it was not restored.</translation>
    </message>
    <message>
        <source>记录区文件的大小与机型不符</source>
        <translation>The record area file&apos;s size does not fit its model</translation>
    </message>
    <message>
        <source>格式化记录区</source>
        <translation>Format record area</translation>
    </message>
    <message>
        <source>删除工作文件 %1</source>
        <translation>Delete job %1</translation>
    </message>
    <message>
        <source>工作文件改名 %1 → %2</source>
        <translation>Rename job %1 → %2</translation>
    </message>
    <message>
        <source>删除记录 %1 第%2条</source>
        <translation>Delete record %2 of %1</translation>
    </message>
    <message>
        <source>删除记录 %1 共%2条</source>
        <translation>Delete %2 records of %1</translation>
    </message>
    <message>
        <source>删除已知点 %1</source>
        <translation>Delete known point %1</translation>
    </message>
    <message>
        <source>清空已知点</source>
        <translation>Clear known points</translation>
    </message>
    <message>
        <source>删除特征码 %1</source>
        <translation>Delete feature code %1</translation>
    </message>
    <message>
        <source>清空特征码</source>
        <translation>Clear feature codes</translation>
    </message>
    <message>
        <source>导入坐标到 %1</source>
        <translation>Import coordinates into %1</translation>
    </message>
    <message>
        <source>导入已知点</source>
        <translation>Import known points</translation>
    </message>
    <message>
        <source>恢复备份 %1</source>
        <translation>Restore backup of %1</translation>
    </message>
    <message>
        <source>手动备份</source>
        <translation>Manual backup</translation>
    </message>
    <message>
        <source>工作文件 %1；已知点 %2；特征码 %3</source>
        <translation>Jobs %1; known points %2; feature codes %3</translation>
    </message>
    <message>
        <source>无</source>
        <translation>none</translation>
    </message>
    <message>
        <source>未识别的记录区</source>
        <translation>unrecognised record area</translation>
    </message>
    <message>
        <source>%1 个点的坐标超过 11 位，文件中只写入了前 11 位（第一个：%2）。<byte value="xd"/>
GIS 格式（GeoPackage、Shapefile、GeoJSON、KML、CSV 带表头、DXF（CAD））保留全部数字。</source>
        <translation>Coordinates of %1 point(s) are longer than 11 characters; the file holds their first 11 characters only (the first: %2).<byte value="xd"/>
The GIS formats (GeoPackage, Shapefile, GeoJSON, KML, CSV with header, DXF for CAD) keep every digit.</translation>
    </message>
    <message>
        <source>GeoJSON 和 KML 文件使用 WGS 84 经纬度，需要选定坐标系；现在是本地坐标，没有写入文件。</source>
        <translation>GeoJSON and KML files hold WGS 84 longitude and latitude and need a coordinate reference system; the points are in local coordinates, so no file was written.</translation>
    </message>
    <message>
        <source>文件写入失败！</source>
        <translation>The file could not be written.</translation>
    </message>
    <message>
        <source>文件的坐标系是 %1，记录区的坐标系是 %2：一方没有坐标系，无法换算，没有导入任何点。</source>
        <translation>The file&apos;s coordinate reference system is %1 and the record area&apos;s is %2: one side has none, so nothing can be transformed and no point was imported.</translation>
    </message>
    <message>
        <source>本地坐标（无坐标系）</source>
        <translation>local coordinates (no CRS)</translation>
    </message>
    <message>
        <source>文件中没有可以导入的点（图层：%1）</source>
        <translation>The file holds no point to import (layer: %1).</translation>
    </message>
    <message>
        <source>这个文件看起来是 %1 格式，按 %1 格式读入吗？<byte value="xd"/>
（选择的是 %2 格式，选“否”则按 %2 格式读入。）</source>
        <translation>This file looks like a %1 file. Read it as %1?<byte value="xd"/>
(The type chosen is %2; No reads it as %2.)</translation>
    </message>
    <message>
        <source>这个文件不像 %1 格式，第%2行不符：<byte value="xd"/>
%3</source>
        <translation>This file does not look like a %1 file; line %2 does not fit:<byte value="xd"/>
%3</translation>
    </message>
    <message>
        <source>第%1个点的点号含有逗号、双引号或控制字符，以后导出时会破坏文件。请修改后再导入；没有导入任何点。</source>
        <translation>The names of points %1 hold a comma, a double quote or a control character, which would break every file they are later exported to. Mend them and import again; no point was imported.</translation>
    </message>
    <message>
        <source>点号含有逗号、双引号或控制字符，以后导出时会破坏文件</source>
        <translation>The name holds a comma, a double quote or a control character, which would break every file it is later exported to</translation>
    </message>
    <message>
        <source>点号超过 8 个字节，只保留前 8 个字节（原为：%1）</source>
        <translation>The name is longer than 8 bytes; only its first 8 are kept (it was: %1)</translation>
    </message>
    <message>
        <source>%1 个点的坐标超过 11 位，只读入了前 11 位（第一个：%2）。GIS 格式（GeoPackage、Shapefile、GeoJSON、KML、CSV 带表头、DXF（CAD））保留全部数字。</source>
        <translation>Coordinates of %1 point(s) are longer than 11 characters; only their first 11 were read (the first: %2). The GIS formats (GeoPackage, Shapefile, GeoJSON, KML, CSV with header, DXF for CAD) keep every digit.</translation>
    </message>
    <message>
        <source>文件中的坐标超过 11 位，只读入了前 11 位</source>
        <translation>The file&apos;s coordinate is longer than 11 characters; only its first 11 were read</translation>
    </message>
    <message>
        <source>删除工作文件 共%1个</source>
        <translation>Delete %1 jobs</translation>
    </message>
    <message>
        <source>删除特征码 共%1个</source>
        <translation>Delete %1 feature codes</translation>
    </message>
</context>
<context>
    <name>Prompts</name>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>vel::CoordinateDialog</name>
    <message>
        <source>输入坐标 </source>
        <translation>Enter coordinates </translation>
    </message>
    <message>
        <source>点 号: </source>
        <translation>Point: </translation>
    </message>
    <message>
        <source>确  定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取  消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vel::CrsDialog</name>
    <message>
        <source>坐标系</source>
        <translation>Coordinate reference system</translation>
    </message>
    <message>
        <source>点的 N、E 所在的坐标系。输入 EPSG 代码或名称中的词（如 CGCS2000 117）：</source>
        <translation>The coordinate reference system of the points&apos; N and E. Type an EPSG code or words of its name (for example CGCS2000 117):</translation>
    </message>
    <message>
        <source>本地坐标（无坐标系：工地的施工坐标）</source>
        <translation>Local coordinates (no CRS: a site grid)</translation>
    </message>
    <message>
        <source>只列出前 %1 个，请输入更多的词。</source>
        <translation>Only the first %1 are listed; type more words.</translation>
    </message>
</context>
<context>
    <name>vel::FeatureCodesPage</name>
    <message>
        <source>特征码</source>
        <translation>Feature codes</translation>
    </message>
    <message>
        <source>输  入</source>
        <translation>Enter</translation>
    </message>
    <message>
        <source>删  除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>清  空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>输入特征码：</source>
        <translation>Feature code:</translation>
    </message>
    <message>
        <source>删除所有特征码吗？</source>
        <translation>Delete all feature codes?</translation>
    </message>
    <message>
        <source>删除选中的%1个特征码吗？</source>
        <translation>Delete the %1 selected feature codes?</translation>
    </message>
</context>
<context>
    <name>vel::Formats</name>
    <message>
        <source>全站坐标记录文件</source>
        <translation>Total station coordinate file </translation>
    </message>
    <message>
        <source>拓普康 GTS700/600/800 Points</source>
        <translation>Topcon GTS700/600/800 points </translation>
    </message>
    <message>
        <source>SCS2002 坐标文件</source>
        <translation>SCS2002 coordinate file </translation>
    </message>
    <message>
        <source>SV300坐标文件</source>
        <translation>SV300 coordinate file </translation>
    </message>
    <message>
        <source>CASS5.X文件</source>
        <translation>CASS5.X file </translation>
    </message>
    <message>
        <source>文本文件(逗号分隔)</source>
        <translation>Comma-separated text </translation>
    </message>
    <message>
        <source>AutoCAD DXF 文件</source>
        <translation>AutoCAD DXF file </translation>
    </message>
    <message>
        <source>GeoPackage</source>
        <translation>GeoPackage</translation>
    </message>
    <message>
        <source>ESRI Shapefile</source>
        <translation>ESRI Shapefile</translation>
    </message>
    <message>
        <source>GeoJSON（WGS 84 经纬度）</source>
        <translation>GeoJSON (WGS 84 longitude/latitude)</translation>
    </message>
    <message>
        <source>KML（WGS 84 经纬度）</source>
        <translation>KML (WGS 84 longitude/latitude)</translation>
    </message>
    <message>
        <source>CSV 带表头（UTF-8，GIS）</source>
        <translation>CSV with header (UTF-8, GIS)</translation>
    </message>
    <message>
        <source>DXF（CAD，分层）</source>
        <translation>DXF for CAD (layers by code)</translation>
    </message>
</context>
<context>
    <name>vel::ImportWindow</name>
    <message>
        <source>坐标编辑</source>
        <translation>Edit coordinates</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>确  定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取  消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>   点    号</source>
        <translation>   Point</translation>
    </message>
    <message>
        <source>点号：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>高程：</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>（几何 Z）</source>
        <translation>(geometry Z)</translation>
    </message>
    <message>
        <source>线的顶点</source>
        <translation>Line vertices</translation>
    </message>
    <message>
        <source>线和面的顶点也读入，点号为 L1, L2 …</source>
        <translation>The vertices of lines and areas come too, named L1, L2 …</translation>
    </message>
</context>
<context>
    <name>vel::JobFilesPage</name>
    <message>
        <source>工作文件</source>
        <translation>Job</translation>
    </message>
    <message>
        <source>查  阅</source>
        <translation>View</translation>
    </message>
    <message>
        <source>新  建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>删  除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>改  名</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>输入坐标</source>
        <translation>Enter points</translation>
    </message>
    <message>
        <source>从文件导入坐标</source>
        <translation>Import from file</translation>
    </message>
    <message>
        <source>新建工作文件</source>
        <translation>New job</translation>
    </message>
    <message>
        <source>输入文件名：</source>
        <translation>Job name:</translation>
    </message>
    <message>
        <source>删除工作文件%1吗？</source>
        <translation>Delete job %1?</translation>
    </message>
    <message>
        <source>工作文件改名</source>
        <translation>Rename job</translation>
    </message>
    <message>
        <source>输入新文件名：</source>
        <translation>New job name:</translation>
    </message>
    <message>
        <source>删除选中的%1个工作文件吗？</source>
        <translation>Delete the %1 selected jobs?</translation>
    </message>
</context>
<context>
    <name>vel::JobViewer</name>
    <message>
        <source>删除记录</source>
        <translation>Delete record</translation>
    </message>
    <message>
        <source>输出点坐标</source>
        <translation>Export points</translation>
    </message>
    <message>
        <source>图形</source>
        <translation>Plan</translation>
    </message>
    <message>
        <source> (记录总数:</source>
        <translation> (records: </translation>
    </message>
    <message>
        <source>查阅工作文件:</source>
        <translation>Job </translation>
    </message>
    <message>
        <source>删除点号为%1的记录吗？</source>
        <translation>Delete the record of point %1?</translation>
    </message>
    <message>
        <source>工作文件</source>
        <translation>Job</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>删除选中的%1条记录吗？</source>
        <translation>Delete the %1 selected records?</translation>
    </message>
</context>
<context>
    <name>vel::KnownPointsPage</name>
    <message>
        <source>已知点</source>
        <translation>Known points</translation>
    </message>
    <message>
        <source>点  号</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>输入坐标</source>
        <translation>Enter points</translation>
    </message>
    <message>
        <source>从文件导入</source>
        <translation>Import file</translation>
    </message>
    <message>
        <source>删  除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>清  空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>删除点号%1吗？</source>
        <translation>Delete point %1?</translation>
    </message>
    <message>
        <source>删除全部已知点吗？</source>
        <translation>Delete all known points?</translation>
    </message>
    <message>
        <source>删除选中的%1个已知点吗？</source>
        <translation>Delete the %1 selected known points?</translation>
    </message>
</context>
<context>
    <name>vel::ListPage</name>
    <message>
        <source>显示图形</source>
        <translation>Show plan</translation>
    </message>
</context>
<context>
    <name>vel::MainWindow</name>
    <message>
        <source>打开全站记录区文件</source>
        <translation>Open the total station&apos;s record-area file</translation>
    </message>
    <message>
        <source>机  型：</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>记录区：</source>
        <translation>Record area:</translation>
    </message>
    <message>
        <source>工作文件数：</source>
        <translation>Jobs:</translation>
    </message>
    <message>
        <source>已知点数：</source>
        <translation>Known points:</translation>
    </message>
    <message>
        <source>记录区占用：</source>
        <translation>Area used:</translation>
    </message>
    <message>
        <source>选取记录区</source>
        <translation>Select record area</translation>
    </message>
    <message>
        <source>格式化记录区</source>
        <translation>Format record area</translation>
    </message>
    <message>
        <source>恢复备份</source>
        <translation>Restore backup</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>不确定</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>未选取记录区</source>
        <translation>No record area selected</translation>
    </message>
    <message>
        <source>记录区文件正被其他程序使用！</source>
        <translation>The record-area file is in use by another program.</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>选取的记录区未格式化或存在错误,需格式化后才能正常存储数据。<byte value="xd"/>
<byte value="xd"/>
现在格式化该记录区吗?</source>
        <translation>The selected record area is not formatted or has errors. It must be formatted before data can be stored in it.<byte value="xd"/>
<byte value="xd"/>
Format this record area now?</translation>
    </message>
    <message>
        <source>格式化将删除全站记录区内全部数据,并且不能恢复。<byte value="xd"/>
<byte value="xd"/>
你确定要执行此操作吗？</source>
        <translation>Formatting deletes all data in the total station&apos;s record area, and the data cannot be recovered.<byte value="xd"/>
<byte value="xd"/>
Are you sure you want to do this?</translation>
    </message>
    <message>
        <source>记录区上次的修改没有完成（程序中断或存储卡被拔出），已恢复到修改前的状态。</source>
        <translation>The last change to the record area was not finished (the program was interrupted or the card was removed); the record area has been put back as it was before that change.</translation>
    </message>
    <message>
        <source>工作文件</source>
        <comment>page tab</comment>
        <translation>Jobs</translation>
    </message>
    <message>
        <source>已知点</source>
        <comment>page tab</comment>
        <translation>Known points</translation>
    </message>
    <message>
        <source>特征码</source>
        <comment>page tab</comment>
        <translation>Feature codes</translation>
    </message>
    <message>
        <source>全站记录区文件</source>
        <translation>Record-area file </translation>
    </message>
    <message>
        <source>记录区文件已不存在（存储卡可能已被拔出）。<byte value="xd"/>
<byte value="xd"/>
现在重新选取记录区吗？</source>
        <translation>The record-area file is gone (the card may have been taken out).<byte value="xd"/>
<byte value="xd"/>
Select a record area now?</translation>
    </message>
    <message>
        <source>发现存储卡：%1<byte value="xd"/>
<byte value="xd"/>
现在打开其中的记录区吗？</source>
        <translation>A card was found: %1<byte value="xd"/>
<byte value="xd"/>
Open its record area now?</translation>
    </message>
    <message>
        <source>自动备份已关闭</source>
        <translation>Automatic backups off</translation>
    </message>
</context>
<context>
    <name>vel::NameDialog</name>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取  消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vel::PlanView</name>
    <message>
        <source>没有带坐标的点</source>
        <translation>No points with coordinates</translation>
    </message>
</context>
<context>
    <name>vel::PlanWindow</name>
    <message>
        <source>全图</source>
        <translation>Fit all</translation>
    </message>
    <message>
        <source>显示编码</source>
        <translation>Show codes</translation>
    </message>
    <message>
        <source>显示已知点</source>
        <translation>Show known points</translation>
    </message>
    <message>
        <source>保存图形</source>
        <translation>Save plan</translation>
    </message>
    <message>
        <source>PNG 图像</source>
        <translation>PNG image</translation>
    </message>
    <message>
        <source>SVG 图形</source>
        <translation>SVG drawing</translation>
    </message>
    <message>
        <source>PDF 文档</source>
        <translation>PDF document</translation>
    </message>
    <message>
        <source>图像 %1    工作文件 %2    点数 %3</source>
        <translation>Image %1    Job %2    Points %3</translation>
    </message>
    <message>
        <source>    已知点 %1</source>
        <translation>    Known points %1</translation>
    </message>
    <message>
        <source>    日期 </source>
        <translation>    Date </translation>
    </message>
    <message>
        <source>点 %1  N %2  E %3  Z %4</source>
        <translation>Point %1  N %2  E %3  Z %4</translation>
    </message>
    <message>
        <source>  编码 </source>
        <translation>  Code </translation>
    </message>
    <message>
        <source>%1 → %2  平距 %3 m  方位角 %4 (%5)  高差 %6 m</source>
        <translation>%1 → %2  HD %3 m  Bearing %4 (%5)  ΔH %6 m</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>图形文件无法写入：</source>
        <translation>The drawing cannot be written: </translation>
    </message>
    <message>
        <source>已知点</source>
        <translation>Known points</translation>
    </message>
    <message>
        <source>图形:</source>
        <translation>Plan: </translation>
    </message>
    <message>
        <source>GeoPackage（点）</source>
        <translation>GeoPackage (points)</translation>
    </message>
    <message>
        <source>查找点</source>
        <translation>Find point</translation>
    </message>
    <message>
        <source>输入点名：</source>
        <translation>Point name:</translation>
    </message>
    <message>
        <source>没有名为 %1 的点</source>
        <translation>There is no point named %1.</translation>
    </message>
</context>
<context>
    <name>vel::PointOutputWindow</name>
    <message>
        <source>输出点坐标</source>
        <translation>Export points</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>保  存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>另 存 为</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>图形</source>
        <translation>Plan</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>文件写入失败！</source>
        <translation>The file could not be written.</translation>
    </message>
    <message>
        <source>   点    号</source>
        <translation>   Point</translation>
    </message>
    <message>
        <source>  特  征  码</source>
        <translation>  Code</translation>
    </message>
</context>
<context>
    <name>vel::RestoreWindow</name>
    <message>
        <source>恢复备份</source>
        <translation>Restore backup</translation>
    </message>
    <message>
        <source>备份（新的在前）：</source>
        <translation>Backups (newest first):</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>所选备份的工作文件：</source>
        <translation>Jobs in the selected backup:</translation>
    </message>
    <message>
        <source>删除、改名、导入、格式化前自动备份</source>
        <translation>Keep a backup before each delete, rename, import or format</translation>
    </message>
    <message>
        <source>备份文件夹：</source>
        <translation>Backup folder: </translation>
    </message>
    <message>
        <source>恢  复</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>关  闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>与当前记录区的大小或机型不同，不能恢复</source>
        <translation>Differs from the current record area in size or model; cannot be restored</translation>
    </message>
    <message>
        <source>（备份文件已损坏或丢失）</source>
        <translation>(The backup file is damaged or missing)</translation>
    </message>
    <message>
        <source>（未识别的记录区）</source>
        <translation>(The record area is not recognised)</translation>
    </message>
    <message>
        <source>把记录区恢复成%1“%2”之前的样子吗？<byte value="xd"/>
<byte value="xd"/>
记录区现在的内容将被替换。</source>
        <translation>Put the record area back as it was at %1, before “%2”?<byte value="xd"/>
<byte value="xd"/>
What the record area holds now will be replaced.</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>已恢复备份</source>
        <translation>Backup restored</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>From</translation>
    </message>
    <message>
        <source>恢复到新文件</source>
        <translation>Restore to new file</translation>
    </message>
    <message>
        <source>记录区文件</source>
        <translation>Record area files</translation>
    </message>
    <message>
        <source>（未记录）</source>
        <translation>(not recorded)</translation>
    </message>
    <message>
        <source>来自另一张存储卡：%1</source>
        <translation>Of another card: %1</translation>
    </message>
    <message>
        <source>这个备份来自另一张存储卡（%1），当前记录区在 %2。<byte value="xd"/>
<byte value="xd"/>
仍然用它替换当前记录区吗？</source>
        <translation>This backup is of another card (%1); the record area loaded is on %2.<byte value="xd"/>
<byte value="xd"/>
Replace the loaded record area with it all the same?</translation>
    </message>
    <message>
        <source>已恢复到新文件</source>
        <translation>Restored to a new file</translation>
    </message>
    <message>
        <source>文件%1已存在，没有写入。</source>
        <translation>The file %1 exists already: nothing was written.</translation>
    </message>
    <message>
        <source>无法写入文件%1：</source>
        <translation>Cannot write the file %1: </translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>关闭后，删除、改名、导入和格式化之前不再自动备份，出错后无法恢复。<byte value="xd"/>
<byte value="xd"/>
确定要关闭自动备份吗？</source>
        <translation>With automatic backups off, nothing is backed up before a deletion, rename, import or format, and a mistake cannot be undone.<byte value="xd"/>
<byte value="xd"/>
Turn automatic backups off?</translation>
    </message>
</context>
</TS>
