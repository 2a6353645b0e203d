// The release as a user gets it: what the built programs say about themselves, the zip, and the setup program
// under Wine (silent install, the installed player against the demo server, no install over a running player,
// silent uninstall).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/com_ptr.h"
#include "common/file_util.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/player/process/player_process.h"

namespace trr::test {
namespace {

// This build's version; the second build of the player (bin-1.1) announces the next one.
constexpr char kVersion[] = TRRADIO_PACKAGE_VERSION_TEXT;
#ifdef _WIN64
constexpr char kArchitecture[] = "processorArchitecture=\"amd64\"";
#else
constexpr char kArchitecture[] = "processorArchitecture=\"x86\"";
#endif
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TiroRadio";

std::string BuildFile(const std::string& relative) { return BinDirectory() + "\\..\\" + relative; }

// One string of the version information's simplified-Chinese block; empty when missing.
std::string VersionText(const std::string& exe, const std::string& name) {
  DWORD ignored = 0, size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  std::vector<char> info(size + 1);
  char* value = nullptr;
  UINT length = 0;
  if (!size || !GetFileVersionInfoA(exe.c_str(), 0, size, info.data()) ||
      !VerQueryValueA(info.data(), ("\\StringFileInfo\\080404b0\\" + name).c_str(), reinterpret_cast<void**>(&value),
                      &length))
    return {};
  return value;
}

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
      "level=\"asInvoker\"", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", kArchitecture};
  for (const auto& program : kPrograms) {
    SCOPED_TRACE(program.file);
    std::string exe = BuildFile(program.file);
    EXPECT_EQ(VersionText(exe, "ProductName"), "TiroRadio");
    EXPECT_EQ(VersionText(exe, "ProductVersion"), program.version);
    EXPECT_EQ(VersionText(exe, "FileDescription"), program.description);
    std::string manifest = ManifestText(exe);
    for (const char* part : kManifestParts) EXPECT_NE(manifest.find(part), std::string::npos) << part;
    // The classic controls stay: no version-6 common controls.
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
  }
  std::string zip;
  ASSERT_TRUE(ReadWholeFile(BuildFile(std::string("dist\\trRadio-") + kVersion + TRRADIO_ZIP_SUFFIX ".zip"), zip));
  EXPECT_NE(zip.find("TiroRadio/trRadio.exe"), std::string::npos);
  EXPECT_NE(zip.find("TiroRadio/TrRadioDl.exe"), std::string::npos);
}

std::set<std::string> FilesIn(const std::string& dir) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
    if (found.cFileName[0] != '.') names.insert(found.cFileName);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return names;
}

std::string UninstallValue(const char* name) {
  char value[1024] = "";
  DWORD size = sizeof(value);
  RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size);
  return value;
}

// "target|working directory" of a shortcut; "|" when it cannot be read.
std::string ShortcutTarget(const std::string& lnk) {
  char target[MAX_PATH] = "", directory[MAX_PATH] = "";
  ComPtr<IShellLinkA> link;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.ReceiveVoid());
  ComPtr<IPersistFile> file = link.As<IPersistFile>(IID_IPersistFile);
  std::wstring path(lnk.begin(), lnk.end());  // an ASCII path
  if (file && SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetWorkingDirectory(directory, MAX_PATH);
  }
  return std::string(target) + "|" + directory;
}

TEST(PackageTest, SilentInstallRunsThePlayerAndUninstallRemovesWhatItAdded) {
  // tools/test.sh says "no" where the host cannot execute 32-bit programs; the setup program is always one.
  char hostRunsX86[8] = "";
  GetEnvironmentVariableA("TRRADIO_HOST_RUNS_X86", hostRunsX86, sizeof(hostRunsX86));
  if (std::string(hostRunsX86) == "no")
    GTEST_SKIP() << "this host cannot execute 32-bit programs, and the setup program is one";
  ServerReset();
  ScopedTempDir temp;
  const std::string folder = temp.File("TiroRadio"), uninstaller = folder + "\\uninstall.exe";
  const std::string setup =
      "\"" + BuildFile(std::string("dist\\trRadio-") + kVersion + TRRADIO_SETUP_SUFFIX "-setup.exe") + "\"";
  ASSERT_EQ(RunAndWait(setup + " /S /D=" + folder), 0);
  EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"TrRadioDl.exe", "trRadio.exe", "uninstall.exe"}));
  EXPECT_EQ(VersionText(folder + "\\trRadio.exe", "ProductVersion"), kVersion);
  EXPECT_EQ(UninstallValue("DisplayVersion"), kVersion);
  EXPECT_EQ(UninstallValue("Publisher"), "TiroRadio 工作室");
  EXPECT_EQ(UninstallValue("DisplayIcon"), folder + "\\trRadio.exe,0");
  EXPECT_EQ(UninstallValue("UninstallString"), "\"" + uninstaller + "\"");
  char programs[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
  const std::string shortcut = std::string(programs) + "\\TiroRadio.lnk";
  EXPECT_EQ(ShortcutTarget(shortcut), folder + "\\trRadio.exe|" + folder);

  // Started as the shortcut starts it, the player keeps its cache beside itself. Setup refuses to run over it
  // and writes nothing: the uninstaller, set aside meanwhile, does not come back.
  Player player = StartPlayer(folder);
  ASSERT_NE(player.window, nullptr);
  // The directory arrives from its worker once the window is up.
  EXPECT_TRUE(PumpUntil([&] { return FileExists(folder + "\\GB.Dat"); }, 20000));
  ASSERT_TRUE(MoveFileA(uninstaller.c_str(), (uninstaller + ".aside").c_str()));
  EXPECT_NE(RunAndWait(setup + " /S /D=" + folder), 0);
  EXPECT_FALSE(FileExists(uninstaller));
  ASSERT_TRUE(MoveFileA((uninstaller + ".aside").c_str(), uninstaller.c_str()));
  EXPECT_EQ(ClosePlayer(player), 0);

  // The updater's files, the community cache and the favourites go too; a file of the user's stays. The
  // uninstaller returns at once and lets a copy of itself remove the files.
  for (const char* name : {"trup.ini", "trss.she", "Community.Dat", "Favorites.Dat", "Favorites.Dat.bad",
                           "Favorites.Dat.tmp12", "mine.txt"})
    ASSERT_TRUE(WriteWholeFile(folder + "\\" + name, "x"));
  ASSERT_EQ(RunAndWait("\"" + uninstaller + "\" /S"), 0);
  const std::set<std::string> kept = {"mine.txt"};
  PumpUntil([&] { return FilesIn(folder) == kept && UninstallValue("DisplayName").empty(); }, 60000);
  EXPECT_EQ(FilesIn(folder), kept);
  EXPECT_FALSE(FileExists(shortcut));
  EXPECT_EQ(UninstallValue("DisplayName"), "");
}

}  // namespace
}  // namespace trr::test
