// Paste, import and export run in the started program: pasted entities land by the base point
// as one undoable action on the current tab's layer; drawings import in place, pictures and
// plug-in files are placed with the mouse; export goes through the file-format plug-ins.
#include "ShellFixture.h"

#include "db/Action.h"
#include "db/DbImage.h"
#include "platform/afx/RecordingDC.h"
#include "platform/vurode/Dib.h"
#include "platform/win/Clipboard.h"
#include "sockwell/PlugInApp.h"
#include "velmora/bramcourt/DesignCentral.h"
#include "velmora/shell/ImportExportCmds.h"
#include "velmora/shell/PasteCmd.h"

#ifdef VELMORA_TEST_QT_IMAGES
#include "platform/qtwin/QtImageReader.h"
#include "support/TinyGif.h"
#include <QColor>
#include <QImage>
#endif

#include <cstring>

namespace {

constexpr UINT kExportId = 32999;

// What the in-process file-format modules were asked to do.
std::vector<std::wstring> g_calls;

void ImportDxf(CString path, CPtrList* entities) {
  g_calls.push_back(L"import:" + std::wstring(path.GetString()));
  const double a[2] = {0, 0}, b[2] = {6, 2};
  entities->AddTail(static_cast<void*>(static_cast<CDbEntity*>(dbGenLine(a, b))));
  const double c[2] = {6, 2}, d[2] = {6, 8};
  entities->AddTail(static_cast<void*>(static_cast<CDbEntity*>(dbGenLine(c, d))));
}
void ImportPlt(CString path, CPtrList*) { g_calls.push_back(L"plt:" + std::wstring(path.GetString())); }
void ExportDxf(CString path) { g_calls.push_back(L"export:" + std::wstring(path.GetString())); }
void Forbidden(CString path) { g_calls.push_back(L"forbidden:" + std::wstring(path.GetString())); }
void ForbiddenImport(CString path, CPtrList*) { Forbidden(path); }

// A list of two objects as a hostile file or clipboard would hold it: an entity, then either a
// reference back to that entity's own curve or the same entity again. Loading archives see the
// second as an object read before. `head` writes what precedes the list.
template <class Head>
std::vector<BYTE> AliasedList(bool ownCurve, Head&& head) {
  const double a[2] = {0, 0}, b[2] = {4, 3};
  std::unique_ptr<CDbCurve> line(dbGenRect(a, b));
  CMemFile mem;
  {
    CArchive ar(&mem, CArchive::store);
    head(ar);
    ar.WriteCount(2);
    ar << static_cast<const CObject*>(line.get());
    ar << (ownCurve ? static_cast<const CObject*>(line->GetCurve()) : static_cast<const CObject*>(line.get()));
    ar.Close();
  }
  std::vector<BYTE> bytes(size_t(mem.GetLength()));
  mem.SeekToBegin();
  mem.Read(bytes.data(), UINT(bytes.size()));
  return bytes;
}

class CommandsTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    g_calls.clear();
    Start();
    ASSERT_TRUE(started);
    hub = gGetOrdvale();
    ASSERT_NE(hub, nullptr);
    // The commands draw their rubber bands and previews on the view's context.
    hub->SetViewDC(&dc);
    paste = Reg(new CPasteCmd(0, L"Paste"), ID_EDIT_PASTE);
    import = Reg(new CImportCmd(0, L"Import File"), ID_FILE_IMPORT);
    exportCmd = Reg(new CExportCmd(0, L"Export File"), kExportId);
  }
  void TearDown() override {
    CPasteCmd::SetTabIndexSource(nullptr);
    if (hub) hub->SetViewDC(nullptr);
    ShellTest::TearDown();
  }
  // The program registers its own command under the id at start-up: that one is used (and
  // must be of the class); otherwise the given one is registered.
  template <class T>
  T* Reg(T* cmd, UINT id) {
    if (auto* registered = dynamic_cast<T*>(hub->GetCmd(id))) {
      delete cmd;
      return registered;
    }
    EXPECT_EQ(hub->GetCmd(id), nullptr) << "another class under id " << id;
    cmd->SetID(id);
    hub->RegAppCmd(cmd);
    return cmd;
  }
  // Three file-format records as loaded modules would fill them: DXF (import and export), a
  // two-extension plotter format (import only) and a module of another kind (never offered).
  void InstallModules() {
    auto* app = dynamic_cast<CPlugInApp*>(AfxGetApp());
    ASSERT_NE(app, nullptr);
    ASSERT_EQ(app->m_nDLLCount, 0);
    delete[] app->m_pDLLs;
    app->m_pDLLs = new CDLLWrapper[3];
    app->m_nDLLCount = 3;
    auto set = [&](int i, int kind, const wchar_t* ext, const wchar_t* desc, PFN_FileImport in, PFN_FileExport out) {
      PIInfoBlock& b = app->m_pDLLs[i].m_Info;
      b.nKind = kind;
      b.strExtension = ext;
      b.strDescription = desc;
      b.pfnFileImport = in;
      b.pfnFileExport = out;
    };
    set(0, 1, L"DXF", L"Other kind", &ForbiddenImport, &Forbidden);
    set(1, 0, L"DXF", L"Drawing Exchange(*.dxf)", &ImportDxf, &ExportDxf);
    set(2, 0, L"PLT;HPGL", L"Plotter(*.plt)", &ImportPlt, nullptr);
  }
  Position At(double x, double y) {
    Position p(x, y);
    p.sx = int(x * 10), p.sy = int(y * 10);
    return p;
  }
  void Click(double x, double y) {
    Position p = At(x, y);
    hub->OnLButtonDown(0, p);
  }
  void Move(double x, double y) {
    Position p = At(x, y);
    hub->OnMouseMove(0, p);
  }
  static _tagBox2D Box(CDbEntity* e) {
    _tagBox2D b{};
    e->GetBox(&b);
    return b;
  }
  int UndoCount() const { return gGetActManager() ? gGetActManager()->GetCount() : -1; }

  COrdvale* hub = nullptr;
  CRecordingDC dc;
  CPasteCmd* paste = nullptr;
  CImportCmd* import = nullptr;
  CExportCmd* exportCmd = nullptr;
};

// ---- paste ----

TEST_F(CommandsTest, PastePlacesByTheBasePointAsOneUndoableAction) {
  Draw({{0, 0, 10, 0}, {10, 0, 10, 4}});
  for (POSITION p = gGetDBase()->GetEntityList().GetHeadPosition(); p;)
    gGetSelector()->Add(gGetDBase()->GetEntityList().GetNext(p));
  ASSERT_TRUE(Command(ID_EDIT_COPY));
  EXPECT_EQ(paste->IsEnable(), 1);
  const int undoBefore = UndoCount();

  ASSERT_TRUE(Command(ID_EDIT_PASTE));
  EXPECT_EQ(hub->GetCurCmd(), paste);
  EXPECT_EQ(hub->GetPrompt(), CString(L"Please input base point:"));
  ASSERT_EQ(paste->Pasted().GetCount(), 2);
  Move(50, 50);
  EXPECT_EQ(paste->GetPreviewCount(), 2);
  Click(105, 202);  // the base point (5, 2) goes here

  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  ASSERT_EQ(gGetDBase()->GetCount(), 4);
  EXPECT_EQ(UndoCount(), undoBefore + 1);
  CAction* action = gGetActManager()->GetCurrent();
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->GetName(), CString(L"Paste"));
  const _tagBox2D b = Box(gGetDBase()->GetEntityList().GetTail());
  EXPECT_DOUBLE_EQ(b.min[0], 110.0);
  EXPECT_DOUBLE_EQ(b.min[1], 200.0);
  EXPECT_DOUBLE_EQ(b.max[1], 204.0);
  EXPECT_EQ(gGetDBase()->GetEntityList().GetTail()->IsSelected(), 0);
  // One undo takes both away again.
  ASSERT_TRUE(gGetActManager()->Undo());
  EXPECT_EQ(gGetDBase()->GetCount(), 2);
}

TEST_F(CommandsTest, TypedPointCommitsLikeAClickOnTheCurrentTabsLayer) {
  CDBase* db = gGetDBase();
  auto* second = new CLayer(L"Second");
  second->SetID(40);  // far from its tab index, so that an index taken as an id would show
  db->AddLayer(second);
  ASSERT_EQ(db->GetLayerCount(), 2);
  const int secondId = db->GetLayerIDByIndex(1);
  ASSERT_EQ(secondId, 40);
  gGetKXGlobal()->SetCurrentLayerID(db->GetLayerIDByIndex(0));
  CPasteCmd::SetTabIndexSource([] { return 1; });

  Draw({{0, 0, 4, 4}});
  db->GetEntityList().GetHead()->SetSelected(1);
  gGetSelector()->Add(db->GetEntityList().GetHead());
  ASSERT_TRUE(Command(ID_EDIT_COPY));
  ASSERT_TRUE(Command(ID_EDIT_PASTE));
  const double typed[2] = {-2, 8};
  EXPECT_EQ(hub->GetCurCmd()->OnKeyInP2D(typed), 1);
  ASSERT_EQ(db->GetCount(), 2);
  CDbEntity* pasted = db->GetEntityList().GetTail();
  EXPECT_EQ(pasted->GetLayerID(), secondId);
  EXPECT_EQ(pasted->IsSelected(), 0);
  const _tagBox2D b = Box(pasted);
  EXPECT_DOUBLE_EQ(b.min[0], -4.0);
  EXPECT_DOUBLE_EQ(b.min[1], 6.0);
}

TEST_F(CommandsTest, PasteWithoutOurClipboardCommitsNothingAndEnds) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(paste->IsEnable(), 0);  // nobody of ours owns the clipboard
  const int before = UndoCount();
  hub->RunAppCmd(paste, 0);
  EXPECT_TRUE(paste->Pasted().IsEmpty());
  Click(10, 10);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(gGetDBase()->GetCount(), 0);
  EXPECT_EQ(UndoCount(), before);
}

TEST_F(CommandsTest, AClipboardListThatRefersBackToAnObjectItReadIsRefused) {
  for (bool ownCurve : {true, false}) {
    SCOPED_TRACE(ownCurve ? "an entity and its own curve" : "one entity twice");
    const std::vector<BYTE> payload = AliasedList(ownCurve, [](CArchive& ar) { ar << 2.0 << 1.5; });
    double centre[2];
    CDbEntityList got;
    EXPECT_FALSE(CDraftonDoc::LoadClipboardPayload(payload.data(), payload.size(), centre, got));
    EXPECT_TRUE(got.IsEmpty());
    // Through the clipboard and the paste command: nothing to place, nothing freed twice.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, payload.size());
    std::memcpy(GlobalLock(block), payload.data(), payload.size());
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(frame->GetSafeHwnd()));
    EmptyClipboard();
    ASSERT_NE(SetClipboardData(CDraftonDoc::ClipboardFormat(), block), nullptr);
    CloseClipboard();
    hub->RunAppCmd(paste, 0);
    EXPECT_TRUE(paste->Pasted().IsEmpty());
    Move(3, 3);
    hub->CancelCurCmd();
    EXPECT_EQ(gGetDBase()->GetCount(), 0);
  }
}

// ---- import ----

TEST_F(CommandsTest, ImportFilterOffersFileFormatImportersInTableOrder) {
  InstallModules();
  auto* app = dynamic_cast<CPlugInApp*>(AfxGetApp());
  EXPECT_EQ(CImportCmd::BuildFilter(app->m_pDLLs, app->m_nDLLCount),
            CString(L"Velmora File(*.vlm)|*.vlm|Image File(*.BMP,*.JPG,*.JPEG,*.GIF,*.TIF,*.PNG)"
                    L"|*.BMP;*.JPG;*.JPEG;*.GIF;*.PNG;*.TIF|Drawing Exchange(*.dxf)|*.DXF|Plotter(*.plt)|*.PLT;HPGL||"));
  // Whole entries of the extension list only: "PL" or "HPG" is no plotter file.
  struct Case {
    const wchar_t* ext;
    int index;
  } cases[] = {{L"DXF", 1}, {L"PLT", 2}, {L"HPGL", 2}, {L"PL", -1}, {L"HPG", -1}, {L"dxf", -1}, {L"", -1}};
  for (const Case& c : cases) EXPECT_EQ(CImportCmd::FindImporter(app->m_pDLLs, 3, c.ext), c.index) << CString(c.ext).ToUtf8();
}

TEST_F(CommandsTest, ImportThroughAPlugInIsPlacedWithTheMouse) {
  InstallModules();
  backend.files.push_back(Path("part.dxf"));
  ASSERT_TRUE(Command(ID_FILE_IMPORT));
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0], L"import:" + Path("part.dxf"));
  EXPECT_EQ(import->GetLastExt(), CString(L"dxf"));
  EXPECT_EQ(import->GetState(), 1);
  EXPECT_EQ(hub->GetPrompt(), CString(L"Please select location of point by left key of mouse!"));
  ASSERT_EQ(import->GetPendingCount(), 2);
  EXPECT_DOUBLE_EQ(import->GetPendingBox().max[0], 6.0);
  EXPECT_DOUBLE_EQ(import->GetPendingBox().max[1], 8.0);
  Move(20, 20);
  ASSERT_NE(import->GetRect(), nullptr);
  EXPECT_DOUBLE_EQ(Box(import->GetRect()).max[0], 26.0);
  gGetKXGlobal()->SetCurrentLayerID(gGetDBase()->GetLayerIDByIndex(0));
  const int before = UndoCount();
  Click(100, 50);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  ASSERT_EQ(gGetDBase()->GetCount(), 2);
  EXPECT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(gGetActManager()->GetCurrent()->GetName(), CString(L"Import File"));
  const _tagBox2D b = Box(gGetDBase()->GetEntityList().GetTail());
  EXPECT_DOUBLE_EQ(b.min[0], 106.0);
  EXPECT_DOUBLE_EQ(b.max[1], 58.0);
}

TEST_F(CommandsTest, ImportIsPlacedInAViewThatLendsNoDrawingContext) {
  // An OpenGL view draws its bands with the scene and lends commands no context.
  hub->SetViewDCSource([]() -> CDC* { return nullptr; }, [](CDC*) {});
  hub->SetViewDC(nullptr);
  InstallModules();
  backend.files.push_back(Path("part.dxf"));
  ASSERT_TRUE(Command(ID_FILE_IMPORT));
  ASSERT_EQ(import->GetPendingCount(), 2);
  const int before = UndoCount();
  Click(100, 50);
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  EXPECT_EQ(gGetDBase()->GetCount(), 2);
  EXPECT_EQ(UndoCount(), before + 1);
  hub->SetViewDCSource(nullptr, nullptr);
}

TEST_F(CommandsTest, TheDesignCentreStepsAsideWhileImportingOrExportingAndComesBack) {
  CDesignCentral* panel = gGetDlgDesignCenter();
  ASSERT_NE(panel, nullptr);
  panel->ShowWindow(SW_SHOW);
  ASSERT_TRUE(panel->IsWindowVisible());
  InstallModules();
  backend.files.push_back(Path("part.dxf"));
  ASSERT_TRUE(Command(ID_FILE_IMPORT));
  EXPECT_FALSE(panel->IsWindowVisible());  // while the pieces are placed
  Click(1, 1);
  EXPECT_TRUE(panel->IsWindowVisible());
  ASSERT_TRUE(Command(ID_FILE_IMPORT));  // cancelled dialog
  EXPECT_TRUE(panel->IsWindowVisible());
  hub->RunAppCmd(exportCmd, 0);  // cancelled dialog
  EXPECT_TRUE(panel->IsWindowVisible());
}

TEST_F(CommandsTest, ImportOfAnUnknownExtensionCallsNoModule) {
  InstallModules();
  backend.files.push_back(Path("part.pl"));  // a part of "PLT;HPGL", not an entry of it
  ASSERT_TRUE(Command(ID_FILE_IMPORT));
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  // Another kind of module is never asked, even for its own extension: DXF goes to record 1.
  backend.files.push_back(Path("a.DXF"));
  ASSERT_TRUE(Command(ID_FILE_IMPORT));
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].rfind(L"import:", 0), 0u);
}

TEST_F(CommandsTest, ImportedDocumentLandsInPlaceOnTheCurrentLayerWithoutUndo) {
  Draw({{0, 0, 10, 0}, {1, 1, 2, 2}});
  gGetDBase()->SetNotes(L"from the other drawing");
  backend.files.push_back(Path("other.vlm"));
  ASSERT_TRUE(doc->FileSaveAs());
  doc->DeleteContents();
  gGetDBase()->InitLayer();
  gGetDBase()->SetNotes(L"mine;");
  const int layer = gGetDBase()->GetLayerIDByIndex(0);
  gGetKXGlobal()->SetCurrentLayerID(layer);
  doc->SetModifiedFlag(FALSE);
  const int before = UndoCount();

  backend.files.push_back(Path("other.vlm"));
  ASSERT_TRUE(Command(ID_FILE_IMPORT));
  EXPECT_EQ(hub->GetCurCmd(), nullptr);  // no placement step
  ASSERT_EQ(gGetDBase()->GetCount(), 2);
  EXPECT_EQ(UndoCount(), before);
  EXPECT_EQ(gGetDBase()->GetNotes(), CString(L"mine;from the other drawing"));
  EXPECT_TRUE(doc->IsModified());
  const _tagBox2D b = Box(gGetDBase()->GetEntityList().GetHead());
  EXPECT_DOUBLE_EQ(b.max[0], 10.0);
  for (POSITION p = gGetDBase()->GetEntityList().GetHeadPosition(); p;)
    EXPECT_EQ(gGetDBase()->GetEntityList().GetNext(p)->GetLayerID(), layer);
}

TEST_F(CommandsTest, ADocumentWhoseListRefersBackToAnObjectItReadImportsNothing) {
  Draw({{0, 0, 1, 1}});
  doc->SetModifiedFlag(FALSE);
  for (bool ownCurve : {true, false}) {
    SCOPED_TRACE(ownCurve ? "an entity and its own curve" : "one entity twice");
    const std::vector<BYTE> file = AliasedList(ownCurve, [](CArchive& ar) {
      CPreviewDlg preview;
      preview.BitmapSerialize(ar);
      ar << CString(L"notes") << int(DB_STREAM_VERSION);
    });
    std::ofstream(m_dir / "aliased.vlm", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    backend.boxes.clear();
    backend.files.push_back(Path("aliased.vlm"));
    ASSERT_TRUE(Command(ID_FILE_IMPORT));
    ASSERT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(backend.boxes[0], L"Failed to open document.\n" + Path("aliased.vlm") + L"\nThe file is damaged.");
    EXPECT_EQ(gGetDBase()->GetCount(), 1);
    EXPECT_EQ(gGetDBase()->GetNotes(), CString());
    EXPECT_FALSE(doc->IsModified());
    // Opening it is refused the same way, and the drawing stays.
    backend.boxes.clear();
    backend.files.push_back(Path("aliased.vlm"));
    EXPECT_FALSE(doc->FileOpen());
    EXPECT_EQ(backend.boxes.size(), 1u);
    EXPECT_EQ(gGetDBase()->GetCount(), 1);
  }
}

TEST_F(CommandsTest, UnreadableDocumentOrPictureLeavesTheDrawingAlone) {
  {
    std::ofstream bad(m_dir / "broken.vlm", std::ios::binary);
    bad << "not a drawing at all";
    std::ofstream pic(m_dir / "broken.png", std::ios::binary);
    pic << "\x89PNG but nothing after";
  }
  for (const char* name : {"broken.vlm", "missing.vlm", "broken.png", "missing.bmp"}) {
    SCOPED_TRACE(name);
    doc->SetModifiedFlag(FALSE);
    backend.boxes.clear();
    backend.files.push_back(Path(name));
    ASSERT_TRUE(Command(ID_FILE_IMPORT));
    EXPECT_EQ(gGetDBase()->GetCount(), 0);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(hub->GetCurCmd(), nullptr);
    ASSERT_EQ(backend.boxes.size(), 1u);
    if (std::strstr(name, ".vlm") == nullptr) {
      EXPECT_EQ(backend.boxes[0], L"Error in opening image file!");
    }
  }
}

// ---- export ----

TEST_F(CommandsTest, ExportFilterAndExtensionFromTheFileName) {
  InstallModules();
  auto* app = dynamic_cast<CPlugInApp*>(AfxGetApp());
  std::vector<int> offered;
  EXPECT_EQ(CExportCmd::BuildFilter(app->m_pDLLs, 3, offered), CString(L"Drawing Exchange(*.dxf)|*.DXF|"));
  EXPECT_EQ(offered, std::vector<int>{1});
  struct Case {
    const wchar_t* path;
    int filterIndex;
    const wchar_t* ext;
    const wchar_t* pathAfter;
  } cases[] = {
      {L"/d/out.dxf", 1, L"DXF", L"/d/out.dxf"},
      {L"/d/plain", 1, L"DXF", L"/d/plain.DXF"},
      {L"/d/v1.5/plain", 1, L"DXF", L"/d/v1.5/plain.DXF"},  // a folder's dot is no extension
      {L"/d/out.abc", 1, L"ABC", L"/d/out.abc"},
      {L"/d/plain", 2, L"", L"/d/plain"},  // no such file type
  };
  for (const Case& c : cases) {
    CString path = c.path;
    EXPECT_EQ(CExportCmd::ResolveExtension(path, app->m_pDLLs, offered, c.filterIndex), CString(c.ext)) << path.ToUtf8();
    EXPECT_EQ(path, CString(c.pathAfter));
  }
}

TEST_F(CommandsTest, ExportWritesThroughThePlugInOrSaysItCannot) {
  InstallModules();
  const fs::path folder = m_dir / "v1.5";
  const std::wstring dotted = CString::FromUtf8(folder.string()).GetString();
  backend.files.push_back(dotted + L"/drawing");
  EXPECT_EQ(hub->RunAppCmd(exportCmd, 0), 1);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0], L"export:" + dotted + L"/drawing.DXF");
  EXPECT_EQ(hub->GetCurCmd(), nullptr);
  EXPECT_TRUE(backend.boxes.empty());

  backend.files.push_back(dotted + L"/drawing.svg");
  hub->RunAppCmd(exportCmd, 0);
  EXPECT_EQ(g_calls.size(), 1u);
  ASSERT_EQ(backend.boxes.size(), 1u);
  EXPECT_NE(backend.boxes[0].find(L"SVG"), std::wstring::npos);
}

TEST_F(CommandsTest, ExportNeedsASelectionAndKeepsItsWord) {
  EXPECT_EQ(exportCmd->IsEnable(), 0);
  Draw({{0, 0, 1, 1}});
  gGetSelector()->Add(gGetDBase()->GetEntityList().GetHead());
  EXPECT_EQ(exportCmd->IsEnable(), 1);
  CMemFile mem;
  {
    CArchive ar(&mem, CArchive::store);
    exportCmd->Serialize(ar);
  }
  mem.SeekToBegin();
  CExportCmd other(0, L"Export File");
  CArchive in(&mem, CArchive::load);
  other.Serialize(in);
  EXPECT_EQ(other.GetKept(), 3);
}

#ifdef VELMORA_TEST_QT_IMAGES
// Every picture format the import offers, written by Qt and placed with the mouse.
TEST_F(CommandsTest, ImportEachPictureFormat) {
  velmora::qtwin::CQtImageDecoderScope readers;
  QImage img(4, 3, QImage::Format_RGB32);
  img.fill(QColor(10, 200, 30));
  img.setPixelColor(0, 0, QColor(255, 0, 0));
  struct Case {
    const char* name;
    const char* format;
    bool lossless;
  } cases[] = {{"a.bmp", "BMP", true}, {"a.png", "PNG", true}, {"a.jpg", "JPG", false},
               {"a.jpeg", "JPEG", false}, {"a.gif", "GIF", true}, {"a.tif", "TIFF", true}};
  double x = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = (m_dir / c.name).string();
    if (std::string(c.format) == "GIF") {
      // Palette 0 is the fill colour, 1 the corner's.
      std::vector<uint8_t> px(12, 0);
      px[0] = 1;
      ASSERT_TRUE(WriteTinyGif(file, 4, 3, px, {{{10, 200, 30}, {255, 0, 0}, {0, 0, 0}, {0, 0, 0}}}));
    } else {
      ASSERT_TRUE(img.save(QString::fromStdString(file), c.format));
    }
    backend.files.push_back(Path(c.name));
    ASSERT_TRUE(Command(ID_FILE_IMPORT));
    ASSERT_EQ(import->GetPendingCount(), 1);
    x += 10;
    Click(x, 5);
    CDbEntity* e = gGetDBase()->GetEntityList().GetTail();
    ASSERT_EQ(e->GetType(), DB_ENT_IMAGE);
    const _tagBox2D b = Box(e);
    EXPECT_DOUBLE_EQ(b.min[0], x);
    EXPECT_DOUBLE_EQ(b.max[0], x + 4);
    EXPECT_DOUBLE_EQ(b.max[1], 8.0);
    const CDib* dib = static_cast<CDbImage*>(e)->GetDib();
    ASSERT_NE(dib, nullptr);
    if (c.lossless) {
      EXPECT_EQ(dib->GetPixel(0, 0), RGB(255, 0, 0));
      EXPECT_EQ(dib->GetPixel(3, 2), RGB(10, 200, 30));
    }
  }
  EXPECT_EQ(gGetDBase()->GetCount(), 6);
}
#endif

}  // namespace
