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

namespace {
// The File menu's items from the recent-file place on, after the update the menu gets when it
// opens: text, command and whether it is greyed.
struct MenuItem {
  std::wstring text;
  UINT id;
  bool grey;
  bool operator==(const MenuItem&) const = default;
};
std::vector<MenuItem> FileMenuTail(CFrameWnd* frame) {
  CMenu* file = frame->GetMenu()->GetSubMenu(0);
  frame->UpdateMenuCmdUI(file);
  std::vector<MenuItem> out;
  bool from = false;
  for (UINT i = 0; i < file->GetMenuItemCount(); ++i) {
    const UINT id = file->GetMenuItemID(static_cast<int>(i));
    from = from || (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST);
    if (!from) continue;
    wchar_t text[256]{};
    ::GetMenuStringW(file->GetSafeHmenu(), i, text, 256, MF_BYPOSITION);
    out.push_back({text, id, (::GetMenuState(file->GetSafeHmenu(), i, MF_BYPOSITION) & MF_GRAYED) != 0});
  }
  return out;
}
}  // namespace

TEST_F(Profile, TheFileMenuListsTheRecentFilesAndOpensThem) {
  StartNew();
  const std::vector<MenuItem> empty{{L"Recent File", ID_FILE_MRU_FILE1, true}, {L"Exit", ID_APP_EXIT, false}};
  EXPECT_EQ(FileMenuTail(Frame()), empty);

  const std::wstring a = WriteDocFile("a.tst", {1});
  const std::wstring b = WriteDocFile("b&c.tst", {2, 3});
  ASSERT_NE(app->OpenDocumentFile(a.c_str()), nullptr);
  ASSERT_NE(app->OpenDocumentFile(b.c_str()), nullptr);
  const std::vector<MenuItem> two{{L"&1 " + std::wstring(app->m_pRecentFileList->GetDisplayName(0).GetString()),
                                   ID_FILE_MRU_FILE1, false},
                                  {L"&2 " + std::wstring(app->m_pRecentFileList->GetDisplayName(1).GetString()),
                                   ID_FILE_MRU_FILE2, false},
                                  {L"Exit", ID_APP_EXIT, false}};
  EXPECT_EQ(FileMenuTail(Frame()), two);
  // Updated again (every idle pass does it) the items are rebuilt, not added twice.
  EXPECT_EQ(FileMenuTail(Frame()), two);

  // Choosing the second entry opens that file, which moves to the top.
  Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE2);
  EXPECT_EQ(Doc()->m_values, std::vector<int>{1});
  EXPECT_EQ(Recent(*app), (std::vector<std::wstring>{a, b}));

  // An entry whose file has gone: reported, the document and the list stay as they were.
  std::filesystem::remove(std::filesystem::path(b));
  backend.boxAnswers = {IDOK};
  Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE2);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(Doc()->m_values, std::vector<int>{1});
  EXPECT_EQ(Doc()->GetPathName(), CString(a.c_str()));
  EXPECT_EQ(Recent(*app), (std::vector<std::wstring>{a, b}));
  // A command beyond the list does nothing.
  Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE4);
  EXPECT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(Doc()->GetPathName(), CString(a.c_str()));
}

TEST(RecentFileNames, LongPathsAreShortenedInTheMiddle) {
  CRecentFileList list(0, L"Recent File List", L"File%d", 4);
  for (const wchar_t* f : {L"/home/u/drawings/2026/customers/north/sign & plate.vlm", L"/tmp/a.vlm", L"plain.vlm"})
    list.Add(f);
  EXPECT_EQ(list.GetDisplayName(0), CString(L"plain.vlm"));
  EXPECT_EQ(list.GetDisplayName(1), CString(L"/tmp/a.vlm"));
  EXPECT_EQ(list.GetDisplayName(2), CString(L"/home/.../sign && plate.vlm"));
  EXPECT_EQ(list.GetDisplayName(3), CString());
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
