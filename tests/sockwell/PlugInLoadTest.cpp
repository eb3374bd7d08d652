// Finding, loading, initialising, releasing and unloading plug-in modules.
#include "HostClasses.h"

#include "platform/vurode/Accessors.h"
#include "platform/win/Module.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>

using ::testing::ElementsAre;

namespace {
std::string FileName(const CString& path) {
  const std::string s = path.ToUtf8();
  return s.substr(s.find_last_of("/\\") + 1);
}

// Entries of the log that start with the module's name.
std::vector<std::string> Of(const std::vector<std::string>& log, const std::string& module) {
  std::vector<std::string> out;
  for (const auto& e : log)
    if (e.rfind(module + ":", 0) == 0) out.push_back(e.substr(module.size() + 1));
  return out;
}
}  // namespace

TEST(PlugInLoad, TableOrderIgnoresCaseAndMixesBothKinds) {
  PlugInFolder folder;
  folder.AddFull("b.vpf");
  folder.AddLean("A.mlp");
  folder.AddFull("c.VPF");
  folder.AddFull("sub/d.vpf");  // subfolders are not searched
  folder.AddFile("notes.txt", "not a module");
  {
    CDraftonApp app;
    app.LoadPlugInDLLs();
    ASSERT_EQ(app.m_nDLLCount, 3);
    EXPECT_EQ(FileName(app.m_pDLLs[0].m_strPath), "A.mlp");
    EXPECT_EQ(FileName(app.m_pDLLs[1].m_strPath), "b.vpf");
    EXPECT_EQ(FileName(app.m_pDLLs[2].m_strPath), "c.VPF");
    for (int i = 0; i < 3; ++i) EXPECT_NE(app.m_pDLLs[i].m_hModule, nullptr) << i;
  }
}

TEST(PlugInLoad, EveryModuleIsInitialisedTwiceFirstPassBeforeSecond) {
  PlugInFolder folder;
  folder.AddFull("a.vpf");
  folder.AddFull("b.mlp");
  std::vector<std::string> log;
  {
    CDraftonApp app;
    app.LoadPlugInDLLs();
    log = TestLogTake();
    EXPECT_THAT(log, ElementsAre("a.vpf:init:0", "b.mlp:init:0", "a.vpf:init:1", "b.mlp:init:1"));
    // The modules filled their blocks; the host put the file entries there.
    for (int i = 0; i < 2; ++i) {
      const PIInfoBlock& info = app.m_pDLLs[i].m_Info;
      EXPECT_EQ(info.nPass, 1);
      EXPECT_EQ(info.nKind, 0);
      EXPECT_EQ(info.strExtension, L"TST");
      EXPECT_EQ(info.strDescription, L"Test format");
      EXPECT_TRUE(info.strReserved.IsEmpty());
      ASSERT_NE(info.pfnFileImport, nullptr);
      ASSERT_NE(info.pfnFileExport, nullptr);
    }
    app.m_pDLLs[0].m_Info.pfnFileExport(CString(L"/tmp/out.tst"));
    EXPECT_THAT(TestLogTake(), ElementsAre("a.vpf:export:/tmp/out.tst"));
  }
  // Destruction releases every module in table order, then unloads them.
  EXPECT_THAT(TestLogTake(), ElementsAre("a.vpf:release", "b.mlp:release"));
}

TEST(PlugInLoad, WithoutSettingsObjectNoModuleIsCalledAndNothingIsBound) {
  PlugInFolder folder;
  folder.AddFull("a.vpf");
  gSetKXGlobal(nullptr);
  CDraftonApp app;
  app.LoadPlugInDLLs();
  ASSERT_EQ(app.m_nDLLCount, 1);
  EXPECT_NE(app.m_pDLLs[0].m_hModule, nullptr);
  EXPECT_FALSE(app.m_pDLLs[0].InitialiseDLL(&app));
  EXPECT_TRUE(TestLogTake().empty());
  EXPECT_EQ(app.m_nMapCount, 0);
}

TEST(PlugInLoad, ModuleWithoutInitialiseKeepsItsOtherEntries) {
  PlugInFolder folder;
  folder.AddLean("lean.vpf");
  CDraftonApp app;
  app.LoadPlugInDLLs();
  ASSERT_EQ(app.m_nDLLCount, 1);
  const CDLLWrapper& rec = app.m_pDLLs[0];
  EXPECT_EQ(rec.m_pfnInitialiseDLL, nullptr);
  EXPECT_NE(rec.m_pfnReleaseDLL, nullptr);
  EXPECT_NE(rec.m_pfnMergeMenu, nullptr);
  EXPECT_NE(rec.m_pfnGetPreMessageMap, nullptr);
  EXPECT_EQ(rec.m_Info.pfnFileImport, nullptr);
  EXPECT_TRUE(app.m_pDLLs[0].InitialiseDLL(&app));  // counts as done
  EXPECT_TRUE(TestLogTake().empty());
}

TEST(PlugInLoad, UnloadableModuleShowsOneErrorAndLeavesAnEmptyRecord) {
  PlugInFolder folder;
  MessageBoxRecorder boxes;
  folder.AddFile("broken.vpf", "this is not a shared library");
  folder.AddFull("good.vpf");
  CDraftonApp app;
  app.LoadPlugInDLLs();
  ASSERT_EQ(app.m_nDLLCount, 2);
  ASSERT_EQ(MessageBoxRecorder::Boxes().size(), 1u);
  EXPECT_EQ(MessageBoxRecorder::Boxes()[0].rfind("Error|", 0), 0u);
  EXPECT_GT(MessageBoxRecorder::Boxes()[0].size(), 6u);  // carries the system's text
  const CDLLWrapper& broken = app.m_pDLLs[0];
  EXPECT_EQ(broken.m_hModule, nullptr);
  EXPECT_TRUE(broken.m_strPath.IsEmpty());
  EXPECT_EQ(broken.m_pfnReleaseDLL, nullptr);
  EXPECT_EQ(broken.m_Info.pfnFileImport, nullptr);
  EXPECT_EQ(broken.m_Info.pfnFileExport, nullptr);
  EXPECT_THAT(Of(TestLogTake(), "good.vpf"), ElementsAre("init:0", "init:1"));
}

TEST(PlugInLoad, EmptyFolderGivesNoTable) {
  PlugInFolder folder;
  CDraftonApp app;
  app.LoadPlugInDLLs();
  EXPECT_EQ(app.m_nDLLCount, 0);
  EXPECT_EQ(app.m_pDLLs, nullptr);
  app.UpdateMenus();
  app.UpdateAccelerators();
}

TEST(PlugInLoad, RecordCopyTakesTheModuleOver) {
  PlugInFolder folder;
  folder.AddFull("a.vpf");
  CDLLWrapper source;
  ASSERT_TRUE(source.LoadDLL(CString::FromUtf8(folder.Path("a.vpf"))));
  source.m_Info.nKind = 7;
  CDLLWrapper target(source);
  EXPECT_EQ(source.m_hModule, nullptr);
  EXPECT_TRUE(source.m_strPath.IsEmpty());
  EXPECT_EQ(source.m_pfnReleaseDLL, nullptr);
  EXPECT_EQ(source.m_Info.pfnFileImport, nullptr);
  EXPECT_NE(target.m_hModule, nullptr);
  EXPECT_NE(target.m_Info.pfnFileImport, nullptr);
  EXPECT_EQ(target.m_Info.nKind, 0);  // the block's integers stay with the source
  CDLLWrapper& same = target;         // through a reference, so compilers let it be
  target = same;                      // self-assignment keeps the module
  EXPECT_NE(target.m_hModule, nullptr);
  CDLLWrapper other;
  other = target;
  EXPECT_EQ(target.m_hModule, nullptr);
  ASSERT_NE(other.m_hModule, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(other.m_hModule, MAKEINTRESOURCEA(1))),
            reinterpret_cast<void*>(other.m_Info.pfnFileExport));
  EXPECT_EQ(GetProcAddress(other.m_hModule, MAKEINTRESOURCEA(2)), nullptr);
  other.ReleaseDLL();
  EXPECT_THAT(TestLogTake(), ElementsAre("a.vpf:release"));
  EXPECT_TRUE(other.FreeDLL());
  EXPECT_EQ(other.m_hModule, nullptr);
  EXPECT_EQ(other.m_pfnReleaseDLL, nullptr);
}

TEST(PlugInLoad, UnloadingRemovesTheModulesPrototypes) {
  auto registered = [] {
    int n = 0;
    for (POSITION pos = CPlugInMap::GetHeadPosition(); pos; CPlugInMap::MoveNext(pos)) ++n;
    return n;
  };
  const int before = registered();
  PlugInFolder folder;
  folder.AddFull("a.vpf");
  {
    CDraftonApp app;
    app.LoadPlugInDLLs();
    EXPECT_EQ(registered(), before + 5);
    EXPECT_EQ(app.m_nMapCount, 1);  // the application's own map
  }
  EXPECT_EQ(registered(), before);
}

TEST(PlugInLoad, ExitInstanceDeletesTheApplicationsMaps) {
  PlugInFolder folder;
  folder.AddFull("a.vpf");
  CDraftonApp app;
  app.LoadPlugInDLLs();
  ASSERT_EQ(app.m_nMapCount, 1);
  EXPECT_EQ(app.m_pMaps[0]->GetPlugInFor(), &app);
  app.SuppressThisMessage(true);
  EXPECT_EQ(app.m_bSuppress, 1);
  EXPECT_EQ(app.ExitInstance(), 0);
  EXPECT_EQ(app.m_nMapCount, 0);
  EXPECT_EQ(app.m_pMaps, nullptr);
}
