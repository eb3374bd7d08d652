// The hub's part of the command configuration ("Command.cfg"): what it saves loads back, and
// a damaged file is refused whole with the archive exception, leaving every default in place,
// so the program still starts and writes a sound file at exit.
#include "platform/afx/Afx.h"
#include "platform/vurode/Accessors.h"
#include "support/ArchiveBytes.h"
#include "support/VurodeFixture.h"
#include "velmora/ordvale/Ordvale.h"
#include "TestCommands.h"

#include <filesystem>
#include <memory>

using namespace archive_bytes;

namespace {

// The hub as the program builds it: three commands, one mode.
struct Hub {
  explicit Hub(CallLog* log) {
    for (auto [name, id] : {std::pair{L"Line", 32774u}, {L"Circle", 32775u}, {L"Arc", 32786u}})
      hub.RegAppCmd(new LogCmd(log, name, id));
    hub.RegMainCmd(new LogCmd(log, L"Select", 32853, CCommand::kHostSelect));
  }
  // Everything the configuration carries, as one comparable value.
  std::vector<std::wstring> State() const {
    std::vector<std::wstring> s{std::to_wstring(hub.m_nShowCoord), std::to_wstring(hub.m_nStopAnimate)};
    for (UINT id : {32774u, 32775u, 32786u}) {
      const CCommand* c = hub.GetCmd(id);
      s.push_back(std::to_wstring(c->GetOption()) + L"/" + std::wstring(c->GetShortCut().GetString()));
    }
    const CCommand* m = hub.GetMainCmd(32853);
    s.push_back(std::to_wstring(m->GetOption()) + L"/" + std::wstring(m->GetShortCut().GetString()));
    return s;
  }
  void Customise() {
    hub.m_nShowCoord = 0;
    hub.m_nStopAnimate = 1;
    hub.GetCmd(32774u)->SetShortCut(L"L");
    hub.GetCmd(32775u)->SetOption(2);
    hub.GetCmd(32786u)->SetShortCut(L"A");
    hub.GetCmd(32786u)->SetOption(3);
    hub.GetMainCmd(32853)->SetOption(1);
  }
  COrdvale hub;
};

class OrdvaleConfigTest : public VurodeTest {
 protected:
  CallLog log;
};

TEST_F(OrdvaleConfigTest, SavedStateLoadsBackWhole) {
  Hub a(&log), b(&log);
  const auto defaults = b.State();
  a.Customise();
  ASSERT_NE(a.State(), defaults);
  const Bytes saved = Store([&](CArchive& ar) { a.hub.Serialize(ar); });
  Load(saved, [&](CArchive& ar) { b.hub.Serialize(ar); });
  EXPECT_EQ(b.State(), a.State());
  // Saving the loaded hub gives the same bytes.
  EXPECT_EQ(Store([&](CArchive& ar) { b.hub.Serialize(ar); }), saved);
}

// Records of commands this program does not have are skipped; commands without a record keep
// their defaults.
TEST_F(OrdvaleConfigTest, RecordsMatchCommandsById) {
  Hub a(&log);
  a.Customise();
  a.hub.RegAppCmd(new LogCmd(&log, L"Plug-in tool", 40001));
  a.hub.GetCmd(40001u)->SetOption(3);
  const Bytes saved = Store([&](CArchive& ar) { a.hub.Serialize(ar); });

  COrdvale small;
  small.RegAppCmd(new LogCmd(&log, L"Circle", 32775));
  small.RegAppCmd(new LogCmd(&log, L"Star", 32783));
  Load(saved, [&](CArchive& ar) { small.Serialize(ar); });
  EXPECT_EQ(small.GetCmd(32775u)->GetOption(), 2);
  EXPECT_EQ(small.GetCmd(32783u)->GetOption(), 0);
  EXPECT_EQ(small.m_nStopAnimate, 1);
}

// Every truncation and every single-byte change of a saved configuration either loads or throws
// the archive exception; a throw leaves the hub exactly at its defaults.
TEST_F(OrdvaleConfigTest, DamagedConfigurationLeavesTheDefaults) {
  Hub a(&log);
  a.Customise();
  const Bytes saved = Store([&](CArchive& ar) { a.hub.Serialize(ar); });
  const auto defaults = Hub(&log).State();

  auto attempt = [&](const Bytes& bytes, const std::string& what) {
    Hub b(&log);
    bool threw = false;
    try {
      Load(bytes, [&](CArchive& ar) { b.hub.Serialize(ar); });
    } catch (const CArchiveException&) {
      threw = true;
    }
    if (threw) {
      EXPECT_EQ(b.State(), defaults) << what;
    }
    return threw;
  };
  for (size_t n = 0; n < saved.size(); ++n)
    EXPECT_TRUE(attempt(Bytes(saved.begin(), saved.begin() + n), "prefix " + std::to_string(n)));
  for (size_t i = 0; i < saved.size(); ++i)
    for (BYTE flip : {BYTE(0x01), BYTE(0x80), BYTE(0xFF)}) {
      Bytes bad = saved;
      bad[i] ^= flip;
      attempt(bad, "byte " + std::to_string(i));
    }

  // Hand-made damage: counts and sizes far beyond the file are refused before anything is
  // allocated for them.
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"foreign file", Cat({Le32(0x12345678), Le32(1), Le32(1), Le32(0), Le32(0)})},
      {"newer layout", Cat({Le32(0x4C56524F), Le32(2), Le32(1), Le32(0), Le32(0)})},
      {"record count", Cat({Le32(0x4C56524F), Le32(1), Le32(1), Le32(0), Le32(0xFFFFFFF0u)})},
      {"record size", Cat({Le32(0x4C56524F), Le32(1), Le32(1), Le32(0), Le32(1), Le32(32774), Le32(0x7FFFFFFF)})},
  };
  for (const auto& c : cases) EXPECT_TRUE(attempt(c.bytes, c.what)) << c.what;
}

// One command's damaged record costs only that command its options.
TEST_F(OrdvaleConfigTest, DamagedCommandRecordKeepsThatCommandsOptions) {
  const Bytes badOption = Store([](CArchive& ar) { ar << 9 << CString(L"C"); });
  const Bytes good = Store([](CArchive& ar) { ar << 2 << CString(L"L"); });
  const Bytes file = Cat({Le32(0x4C56524F), Le32(1), Le32(1), Le32(1), Le32(2), Le32(32775),
                          Le32(static_cast<uint32_t>(badOption.size())), badOption, Le32(32774),
                          Le32(static_cast<uint32_t>(good.size())), good});
  Hub b(&log);
  b.hub.GetCmd(32775u)->SetOption(1);
  Load(file, [&](CArchive& ar) { b.hub.Serialize(ar); });
  EXPECT_EQ(b.hub.GetCmd(32775u)->GetOption(), 1);
  EXPECT_EQ(b.hub.GetCmd(32775u)->GetShortCut(), CString(L""));
  EXPECT_EQ(b.hub.GetCmd(32774u)->GetOption(), 2);
  EXPECT_EQ(b.hub.GetCmd(32774u)->GetShortCut(), CString(L"L"));
  EXPECT_EQ(b.hub.m_nStopAnimate, 1);
}

// The file as the program keeps it: the layer strip's two words, then the hub, through a
// 512-byte archive buffer. A corrupt file read at start-up is refused, the hub runs on its
// defaults, and the file written at exit loads cleanly next time.
TEST_F(OrdvaleConfigTest, CorruptFileIsReplacedBySoundOneAtExit) {
  const auto dir = std::filesystem::temp_directory_path() / ("ordvale-cfg-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const CString path = CString::FromUtf8((dir / "Command.cfg").string());
  {
    CFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeWrite));
    const Bytes junk = Cat({Le32(1), Le32(0), Le32(0x4C56524F), Le32(1), Le32(0), Le32(1), Le32(3)});
    f.Write(junk.data(), static_cast<UINT>(junk.size()));
  }
  Hub start(&log);
  int stripWord = 0, stripHidden = 0;
  bool refused = false;
  {
    CFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeRead));
    CArchive ar(&f, CArchive::load, 512);
    try {
      ar >> stripWord >> stripHidden;
      start.hub.Serialize(ar);
    } catch (const CArchiveException&) {
      refused = true;
    }
  }
  EXPECT_TRUE(refused);
  EXPECT_EQ(start.State(), Hub(&log).State());
  start.Customise();
  {
    CFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeWrite));
    CArchive ar(&f, CArchive::store, 512);
    ar << 1 << 0;
    start.hub.Serialize(ar);
    ar.Close();
  }
  Hub next(&log);
  {
    CFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeRead));
    CArchive ar(&f, CArchive::load, 512);
    ar >> stripWord >> stripHidden;
    next.hub.Serialize(ar);
  }
  EXPECT_EQ(next.State(), start.State());
  std::filesystem::remove_all(dir);
}

}  // namespace
