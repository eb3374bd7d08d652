// The application's profile under the configuration folder, its recent-file list of four, and
// the command line.
#include "AppFixture.h"

#include <gmock/gmock.h>

#include <filesystem>

using namespace apptest;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {
std::vector<std::wstring> Recent(const CWinApp& app) {
  std::vector<std::wstring> out;
  for (int i = 0; i < app.m_pRecentFileList->GetCount(); ++i) out.emplace_back((*app.m_pRecentFileList)[i].GetString());
  return out;
}
}  // namespace

using Profile = AppTest;

TEST_F(Profile, LivesUnderTheRegistryKeyAndRoundTrips) {
  const CString path = app->GetProfilePath();
  EXPECT_EQ(path, CString::FromUtf8((dir / "config" / "Velmora v9 Applications" / "AppTest.ini").string()));
  EXPECT_TRUE(app->WriteProfileInt(L"Settings", L"AutoSaveMinutes", 15));
  EXPECT_TRUE(app->WriteProfileString(L"Velmora_WM_DockState", L"Bars", L"3"));
  EXPECT_EQ(app->GetProfileInt(L"Settings", L"AutoSaveMinutes", 5), 15u);
  EXPECT_EQ(app->GetProfileInt(L"Settings", L"Missing", 5), 5u);
  EXPECT_EQ(app->GetProfileString(L"Velmora_WM_DockState", L"Bars"), CString(L"3"));
  EXPECT_EQ(app->GetProfileString(L"Velmora_WM_DockState", L"None", L"dflt"), CString(L"dflt"));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(path.ToUtf8())));
}

TEST_F(Profile, RecentFilesKeepTheNewestFourWithoutRepeatsAcrossRuns) {
  for (const wchar_t* f : {L"/d/a.vlm", L"/d/b.vlm", L"/d/c.vlm", L"/d/a.vlm", L"/d/d.vlm", L"/d/e.vlm", L""})
    app->AddToRecentFileList(f);
  // Brute force: newest first, each file once, four at most.
  const std::vector<std::wstring> expected{L"/d/e.vlm", L"/d/d.vlm", L"/d/a.vlm", L"/d/c.vlm"};
  EXPECT_EQ(Recent(*app), expected);
  EXPECT_EQ(app->m_pRecentFileList->GetSize(), 4);
  app->ExitInstance();

  // A later run of the program reads them back.
  app.reset();
  app = std::make_unique<CAppTestApp>();
  app->SetRegistryKey(L"Velmora v9 Applications");
  app->LoadStdProfileSettings(4);
  EXPECT_EQ(Recent(*app), expected);
  EXPECT_EQ(app->GetProfileString(L"Recent File List", L"File1"), CString(L"/d/e.vlm"));
  // A shorter list written later leaves no stale entries behind.
  app->m_pRecentFileList->Remove(0);
  app->m_pRecentFileList->Remove(0);
  app->SaveStdProfileSettings();
  EXPECT_EQ(app->GetProfileString(L"Recent File List", L"File3", L"gone"), CString(L"gone"));
}

TEST_F(Profile, OpeningAndSavingAddToTheRecentFiles) {
  const std::wstring a = WriteDocFile("a.tst", {1});
  StartNew();
  ASSERT_NE(app->OpenDocumentFile(a.c_str()), nullptr);
  EXPECT_EQ(Recent(*app), std::vector<std::wstring>{a});
}

using CommandLine = AppTest;

TEST_F(CommandLine, ParsesTheFileToOpenAndFlags) {
  struct Case {
    std::vector<const char*> argv;
    int command;
    const wchar_t* file;
    BOOL splash;
  };
  const Case cases[] = {
      {{"velmora"}, CCommandLineInfo::FileNew, L"", TRUE},
      {{"velmora", "/home/u/part.vlm"}, CCommandLineInfo::FileOpen, L"/home/u/part.vlm", TRUE},
      {{"velmora", "-nologo", "rel.vlm", "second.vlm"}, CCommandLineInfo::FileOpen, L"rel.vlm", FALSE},
      {{"velmora", "-unknown"}, CCommandLineInfo::FileNew, L"", TRUE},
      {{"velmora", "\xc3\xa9t\xc3\xa9.vlm"}, CCommandLineInfo::FileOpen, L"\u00e9t\u00e9.vlm", TRUE},
  };
  for (const Case& c : cases) {
    app->SetCommandLine(static_cast<int>(c.argv.size()), c.argv.data());
    CCommandLineInfo info;
    app->ParseCommandLine(info);
    EXPECT_EQ(info.m_nShellCommand, c.command);
    EXPECT_EQ(info.m_strFileName, CString(c.file));
    EXPECT_EQ(info.m_bShowSplash, c.splash);
  }
}

TEST_F(CommandLine, OpeningANamedFileBuildsTheWindowsOrFailsWithoutThem) {
  const std::wstring good = WriteDocFile("start.tst", {3, 1, 4});
  const std::string goodUtf8 = CString(good.c_str()).ToUtf8();
  const char* argv[] = {"velmora", goodUtf8.c_str()};
  app->SetCommandLine(2, argv);
  CCommandLineInfo info;
  app->ParseCommandLine(info);
  ASSERT_TRUE(app->ProcessShellCommand(info));
  ASSERT_NE(Doc(), nullptr);
  EXPECT_EQ(Doc()->m_values, (std::vector<int>{3, 1, 4}));
  EXPECT_EQ(Doc()->GetPathName(), CString(good.c_str()));
  EXPECT_NE(app->m_pMainWnd, nullptr);
}

TEST_F(CommandLine, AMissingFileFailsStartUpAndLeavesNoWindowOrDocument) {
  CCommandLineInfo info;
  info.m_nShellCommand = CCommandLineInfo::FileOpen;
  info.m_strFileName = PathOf("absent.tst").c_str();
  backend.boxAnswers.push_back(IDOK);
  EXPECT_FALSE(app->ProcessShellCommand(info));
  EXPECT_THAT(CString(BoxTexts().at(0).c_str()).ToUtf8(), HasSubstr("Failed to open document."));
  EXPECT_EQ(app->m_pMainWnd, nullptr);
  EXPECT_EQ(Doc(), nullptr);
  // Nothing-to-do succeeds without windows.
  info.m_nShellCommand = CCommandLineInfo::FileNothing;
  EXPECT_TRUE(app->ProcessShellCommand(info));
}
