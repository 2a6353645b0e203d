// The release as a user gets it: the identity carried by the built programs, the zip, and the setup program
// run under Wine (silent install into a fresh folder, the installed player against the demo server, a refused
// install while it runs, silent uninstall).
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/com_ptr.h"
#include "common/file_util.h"
#include "common/scoped_win.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/player/player_process.h"

namespace trr::test {
namespace {

// The version of this build's player and packages; the second build of the player (bin-1.1) announces the next.
constexpr char kVersion[] = TRRADIO_PACKAGE_VERSION_TEXT;
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TiroRadio";

std::string BuildFile(const std::string& relative) { return BinDirectory() + "\\..\\" + relative; }

// One string of the file's version information (simplified Chinese block); empty when it is missing.
std::string VersionText(const std::string& exe, const char* name) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  std::vector<char> info(size);
  if (!size || !GetFileVersionInfoA(exe.c_str(), 0, size, info.data())) return {};
  char* value = nullptr;
  UINT length = 0;
  std::string key = std::string("\\StringFileInfo\\080404b0\\") + name;
  if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !length) return {};
  return std::string(value);
}

// The application manifest (resource 1 of type RT_MANIFEST); empty when there is none.
std::string ManifestText(const std::string& exe) {
  ScopedModule module(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  HRSRC found = module ? FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
  HGLOBAL loaded = found ? LoadResource(module.get(), found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  return bytes ? std::string(bytes, SizeofResource(module.get(), found)) : std::string();
}

TEST(PackageTest, ProgramsCarryTheirVersionAndManifest) {
  const struct {
    const char* file;
    const char* version;
    const char* description;
  } kPrograms[] = {
      {"bin\\trRadio.exe", kVersion, "TiroRadio 网络收音机"},
      {"bin-1.1\\trRadio.exe", TRRADIO_SECOND_VERSION_TEXT, "TiroRadio 网络收音机"},
      {"bin\\TrRadioDl.exe", kVersion, "TiroRadio 在线升级"},
  };
  const char* kManifestParts[] = {
      "level=\"asInvoker\"",
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
      "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
  };
  for (const auto& program : kPrograms) {
    SCOPED_TRACE(program.file);
    std::string exe = BuildFile(program.file);
    EXPECT_EQ(VersionText(exe, "ProductName"), "TiroRadio");
    EXPECT_EQ(VersionText(exe, "ProductVersion"), program.version);
    EXPECT_EQ(VersionText(exe, "FileVersion"), program.version);
    EXPECT_EQ(VersionText(exe, "FileDescription"), program.description);
    std::string manifest = ManifestText(exe);
    for (const char* part : kManifestParts) EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
  // The zip holds both programs in one folder.
  std::string zip;
  ASSERT_TRUE(ReadWholeFile(BuildFile(std::string("dist\\trRadio-") + kVersion + "-win32.zip"), zip));
  EXPECT_NE(zip.find("TiroRadio/trRadio.exe"), std::string::npos);
  EXPECT_NE(zip.find("TiroRadio/TrRadioDl.exe"), std::string::npos);
}

// Runs `commandLine` and returns its exit code; -1 when it cannot start or does not end within two minutes.
int RunAndWait(std::string commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return -1;
  CloseHandle(info.hThread);
  ScopedHandle process(info.hProcess);
  if (WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 99);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

std::set<std::string> FilesIn(const std::string& dir) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.insert(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

std::string UninstallValue(const char* name) {
  char value[1024] = "";
  DWORD size = sizeof(value);
  if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return {};
  return value;
}

// The target and the working directory of a shortcut, as "target|directory"; empty when it cannot be read.
std::string ShortcutTarget(const std::string& lnk) {
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.ReceiveVoid())))
    return {};
  ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
  wchar_t path[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, path, MAX_PATH);
  if (!file || FAILED(file->Load(path, STGM_READ))) return {};
  char target[MAX_PATH] = "", directory[MAX_PATH] = "";
  link->GetPath(target, MAX_PATH, nullptr, 0);
  link->GetWorkingDirectory(directory, MAX_PATH);
  return std::string(target) + "|" + directory;
}

TEST(PackageTest, SilentInstallRunsThePlayerAndUninstallRemovesWhatItAdded) {
  ServerReset();
  ScopedTempDir temp;
  const std::string folder = temp.File("TiroRadio");
  const std::string setup = "\"" + BuildFile(std::string("dist\\trRadio-") + kVersion + "-setup.exe") + "\"";
  ASSERT_EQ(RunAndWait(setup + " /S /D=" + folder), 0);

  std::string installed, built;
  EXPECT_TRUE(ReadWholeFile(folder + "\\trRadio.exe", installed));
  EXPECT_TRUE(ReadWholeFile(BinDirectory() + "\\trRadio.exe", built));
  EXPECT_TRUE(installed == built) << "the installed player is the built one";
  EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"TrRadioDl.exe", "trRadio.exe", "uninstall.exe"}));
  EXPECT_EQ(UninstallValue("DisplayName"), "TiroRadio");
  EXPECT_EQ(UninstallValue("DisplayVersion"), kVersion);
  EXPECT_EQ(UninstallValue("Publisher"), "TiroRadio 工作室");
  EXPECT_EQ(UninstallValue("DisplayIcon"), folder + "\\trRadio.exe,0");
  EXPECT_EQ(UninstallValue("UninstallString"), "\"" + folder + "\\uninstall.exe\"");
  DWORD kilobytes = 0, size = sizeof(kilobytes);
  RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize", RRF_RT_REG_DWORD, nullptr, &kilobytes, &size);
  EXPECT_GE(kilobytes, built.size() / 1024) << "the size covers at least the player";
  char programs[MAX_PATH] = "";
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs), S_OK);
  const std::string shortcut = std::string(programs) + "\\TiroRadio.lnk";
  EXPECT_EQ(ShortcutTarget(shortcut), folder + "\\trRadio.exe|" + folder);

  // The installed player comes up as the shortcut starts it and keeps its cache beside itself; setup refuses
  // to replace it while it runs.
  Player player = StartPlayer(folder);
  ASSERT_NE(player.window, nullptr);
  EXPECT_TRUE(FileExists(folder + "\\GB.Dat"));
  // A refused setup writes nothing: the uninstaller, set aside meanwhile, does not come back.
  const std::string uninstaller = folder + "\\uninstall.exe";
  ASSERT_TRUE(MoveFileA(uninstaller.c_str(), (uninstaller + ".aside").c_str()));
  EXPECT_NE(RunAndWait(setup + " /S /D=" + folder), 0);
  EXPECT_FALSE(FileExists(uninstaller));
  ASSERT_TRUE(MoveFileA((uninstaller + ".aside").c_str(), uninstaller.c_str()));
  EXPECT_EQ(WaitForSingleObject(player.process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still running";
  EXPECT_EQ(ClosePlayer(player), 0);

  // The updater's files, and one of the user's own that must stay.
  ASSERT_TRUE(WriteWholeFile(folder + "\\trup.ini", "[基本设置]"));
  ASSERT_TRUE(WriteWholeFile(folder + "\\trss.she", ".SHE"));
  ASSERT_TRUE(WriteWholeFile(folder + "\\mine.txt", "mine"));
  // The uninstaller runs from a copy of itself and returns at once; the copy removes the files.
  ASSERT_EQ(RunAndWait("\"" + uninstaller + "\" /S"), 0);
  const std::set<std::string> kept = {"mine.txt"};
  EXPECT_TRUE(PumpUntil([&] { return FilesIn(folder) == kept && !FileExists(shortcut); }, 60000));
  EXPECT_EQ(FilesIn(folder), kept);
  EXPECT_FALSE(FileExists(shortcut));
  EXPECT_TRUE(PumpUntil([&] { return UninstallValue("DisplayName").empty(); }, 10000)) << "key removed";
}

}  // namespace
}  // namespace trr::test
