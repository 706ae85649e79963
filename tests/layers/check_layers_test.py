#!/usr/bin/env python3
"""The layer check passes on the tree and fails on each kind of wrong include planted in a scratch copy."""
import pathlib
import shutil
import subprocess
import sys
import tempfile

root = pathlib.Path(sys.argv[1]).resolve()
checker = root / "scripts" / "check_layers.py"
folders = ["resources", "core", "framework", "tags", "database", "report", "exchange", "plugin", "ui", "window", "app"]

# (file to plant in, line planted, what the check must name)
plants = [
    ("database/Doc.cpp", '#include "plugin/PlaybackMonitor.h"', "plugin/ is not below database/"),
    ("database/Doc.cpp", '#include "report/ReportWriter.h"', "report/ is not below database/"),
    ("database/Doc.cpp", '#include "exchange/PlayExchange.h"', "exchange/ is not below database/"),
    ("core/Clock.cpp", '#include "database/Doc.h"', "database/ is not below core/"),
    ("tags/Id3v2Tag.cpp", '#include "database/TrackRecord.h"', "database/ is not below tags/"),
    ("core/Clock.cpp", '#include "tags/Id3v1Tag.h"', "tags/ is not below core/"),
    ("framework/Wnd.cpp", '#include "core/Profile.h"', "framework/ knows nothing of the product"),
    ("ui/AboutDlg.cpp", '#include "window/PlaytallyDlg.h"', "window/ is not below ui/"),
    ("plugin/Manifest.cpp", '#include "tests/native/TempDir.h"', "never includes a tool's folder"),
    ("window/TrackListCtrl.cpp", "void f() { theApp().config(); }", "through its global"),
    ("ui/ResizeDialog.cpp", "void f() { applicationProfile(); }", "applicationProfile(), a global"),
    ("window/PlaytallyDlg.cpp", "IHelpTextSink* g_sink = nullptr;", "a mutable global"),
    ("app/PlaytallyApp.cpp", 'void f(IProfile& p) { p.writeInt(sectionMain(), "First Time", 0); }', "written as a literal"),
    ("plugin/Publisher.cpp", 'void f(IProfile* p) { p->getString("General", key, ""); }', "written as a literal"),
    ("ui/GeneralDlg.cpp", "const SettingsControl kMore[] = {\n    {IDC_GEN_DISABLE, BN_CLICKED, kChangeNothing, 1066},\n};",
     "a tooltip written as a number (1066)"),
    ("plugin/Publisher.cpp", "std::string f() { return loadString(1010); }", "a string id written as a number"),
    ("database/RecordEdit.cpp", "std::string f() { return loadString(35); }", "a string id written as a number"),
    ("report/win/ProgramRunner.cpp", "std::string f() { return loadString( 1021); }", "a string id written as a number"),
    ("exchange/PlayExport.cpp", "constexpr int kDone = 2236;\nstd::string f() { return loadString(kDone); }",
     "a string id kDone defined as a number"),
]

failures = 0
result = subprocess.run([sys.executable, str(checker), str(root)], capture_output=True, text=True)
if result.returncode != 0:
    print("the tree itself fails the check:\n" + result.stdout)
    failures += 1
for target, line, expected in plants:
    with tempfile.TemporaryDirectory() as scratch:
        copy = pathlib.Path(scratch)
        for folder in folders:
            shutil.copytree(root / folder, copy / folder)
        planted = copy / target
        planted.write_text(planted.read_text(encoding="utf-8") + "\n" + line + "\n", encoding="utf-8")
        result = subprocess.run([sys.executable, str(checker), str(copy)], capture_output=True, text=True)
        if result.returncode == 0 or expected not in result.stdout or target not in result.stdout:
            print(f"planted {line!r} in {target}: not reported as {expected!r}\n{result.stdout}")
            failures += 1
print(f"{len(plants) + 1 - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
