// Writes the fuzz targets' seed corpus: real objects stored by the classes themselves (one of
// each serial class, plain and with content), small pictures written by the PNG and JPEG
// libraries and by hand for BMP, and text files in the encodings the text readers tell apart.
// Usage: fuzz_corpus <corpus folder>; files are named after what they hold and are rewritten
// byte for byte the same on every run.
#include "db/DBase.h"
#include "db/DbAidLine.h"
#include "db/DbCurve.h"
#include "db/DbImage.h"
#include "db/DbPathGroup.h"
#include "geometry/grid/GeGrid.h"
#include "geometry/shapes2d/GeArc.h"
#include "geometry/shapes2d/GeBezier.h"
#include "geometry/shapes2d/GeCircle.h"
#include "geometry/shapes2d/GeCombCurve.h"
#include "geometry/shapes2d/GeEllipse.h"
#include "geometry/shapes2d/GeLine.h"
#include "geometry/shapes2d/GeLoop.h"
#include "geometry/shapes2d/GePolyline.h"
#include "geometry/shapes2d/Layer.h"
#include "geometry/shapes3d/GeCombCurve3d.h"
#include "geometry/shapes3d/GeLine3d.h"
#include "geometry/shapes3d/GeNrbCrv3d.h"
#include "geometry/shapes3d/GePoint3d.h"
#include "geometry/shapes3d/GePolyline3d.h"
#include "geometry/surfaces/GeMesh.h"
#include "platform/afx/Archive.h"
#include "platform/afx/MemFile.h"
#include "platform/afx/StdioFile.h"
#include "platform/numora/Bcrv.h"
#include "platform/vurode/Accessors.h"
#include "platform/vurode/Tool.h"
#include "sockwell/StdioFileEx.h"
#include "velmora/commands/CommandTable.h"
#include "velmora/ordvale/Ordvale.h"
#include "velmora/shell/KxTabWnd.h"
#include "velmora/printing/PreviewDlg.h"
#include "velmora/shell/ShellCommands.h"

#include "SerialClasses.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace fs = std::filesystem;

namespace {

fs::path gRoot;

void Save(const char* target, const std::string& name, const std::vector<uint8_t>& bytes) {
  const fs::path dir = gRoot / target;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void SaveObject(const std::string& name, const CObject* ob) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    ar << ob;
    ar.Close();
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  Save("archive", name, bytes);
}

void Archives() {
  for (const char* name : kSerialClasses) {
    if (std::strcmp(name, "CObList") == 0) continue;  // never loaded as a whole stream
    std::unique_ptr<CObject> ob(CRuntimeClass::FromName(name)->CreateObject());
    SaveObject(std::string(name) + "-empty", ob.get());
  }

  const double a[2] = {0, 0}, b[2] = {10, 0}, c[2] = {10, 5}, d[2] = {2, 7};
  auto arc = [&] {
    auto* r = new CGeArc;
    r->CreateCSEAngle(c, 3, 0.2, 1.7);
    return r;
  };
  SaveObject("CGeLine", std::make_unique<CGeLine>(a, b).get());
  SaveObject("CGeArc", std::unique_ptr<CGeArc>(arc()).get());
  SaveObject("CGeCircle", std::make_unique<CGeCircle>(c, 4, 1).get());
  SaveObject("CGeEllipse", std::make_unique<CGeEllipse>(c, 4, 2, 0.3, -1).get());
  {
    CGePolyline poly(4);
    for (int i = 0; const double* p : {a, b, c, d}) poly.SetPoint(i++, p);
    SaveObject("CGePolyline", &poly);
  }
  {
    const double pts[4][2] = {{0, 0}, {3, 4}, {6, 1}, {9, 5}};
    CGeBezier bez;
    bez.Create(4, pts);
    SaveObject("CGeBezier", &bez);
  }
  {
    CGeCombCurve comb;
    comb.AddTail(new CGeLine(a, b), 1);
    comb.AddTail(new CGeLine(b, c), 1);
    comb.AddTail(arc(), 1);
    SaveObject("CGeCombCurve", &comb);
    CGeLoop loop;
    loop.AddTail(new CGeLine(a, b), 1);
    loop.AddTail(new CGeLine(b, c), 1);
    loop.AddTail(new CGeLine(c, a), 1);
    SaveObject("CGeLoop", &loop);
  }
  {
    CLayer layer(CString(L"Contours"));
    layer.SetColor(0x00FF8000);
    layer.SetID(3);
    SaveObject("CLayer", &layer);
  }
  const double p[3] = {0, 0, 0}, q[3] = {5, 1, 2}, r[3] = {7, 6, 3};
  SaveObject("CGePoint3d", std::make_unique<CGePoint3d>(1.0, 2.0, 3.0).get());
  SaveObject("CGeLine3d", std::make_unique<CGeLine3d>(p, q).get());
  {
    const double pts[3][3] = {{0, 0, 0}, {5, 1, 2}, {7, 6, 3}};
    CGePolyline3d poly;
    poly.Create(3, pts);
    SaveObject("CGePolyline3d", &poly);
    CGeCombCurve3d comb;
    comb.AddTail(new CGeLine3d(p, q));
    comb.AddTail(new CGeLine3d(q, r));
    SaveObject("CGeCombCurve3d", &comb);
  }
  SaveObject("CGeNrbCrv3d", std::make_unique<CGeNrbCrv3d>(BCRV_CreConic(p, q, r, 0.7)).get());
  {
    CGeMesh mesh;
    const int n = 3;
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) mesh.vertices.emplace_back(float(i), float(j), float(i * j));
    for (int j = 0; j + 1 < n; ++j)
      for (int i = 0; i + 1 < n; ++i) {
        const int v = j * n + i;
        mesh.faces.push_back({{v, v + 1, v + n + 1}});
        mesh.faces.push_back({{v, v + n + 1, v + n}});
      }
    SaveObject("CGeMesh", &mesh);
  }
  {
    CGeGrid grid;
    float origin[3] = {0, 0, 0};
    grid.Create(origin, 0.5f, 4, 3, 1.0f);
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 4; ++col) grid.SetZHeight(col, row, float(col + row));
    SaveObject("CGeGrid", &grid);
  }
  {
    std::unique_ptr<CDbCurve> rect(dbGenRect(a, c));
    rect->SetLayerID(2);
    SaveObject("CDbCurve", rect.get());
    CDbCurveList list;
    list.AddCurve(new CGeLine(a, b));
    list.AddCurve(arc());
    SaveObject("CDbCurveList", &list);
    SaveObject("CDbCurve3d", std::make_unique<CDbCurve3d>(new CGeLine3d(p, q)).get());
    auto* dib = new CDib;
    dib->Create(3, 2);
    dib->SetPixel(1, 1, 0x00336699);
    dib->AddRef();
    SaveObject("CDbImage", std::make_unique<CDbImage>(dib, a).get());
    CDbPathGroup group;
    auto* unit = new CDbPathUnit;
    unit->m_pCurve = new CGeCombCurve3d;
    unit->m_pCurve->AddTail(new CGeLine3d(p, q));
    unit->m_pCurve->AddTail(new CGeLine3d(q, r));
    group.m_UnitList.AddTail(unit);
    SaveObject("CDbPathUnit", unit);
    SaveObject("CDbPathGroup", &group);
  }
  SaveObject("CDbAidLine", std::make_unique<CDbAidLine>(12.5, CDbAidLine::VERTICAL, 1).get());
  SaveObject("CTCylindrical", std::make_unique<CTCylindrical>(6.0).get());
  SaveObject("CTConnic", std::make_unique<CTConnic>(6.0, 1.0, 0.5).get());
  SaveObject("CTBall", std::make_unique<CTBall>(4.0).get());
  SaveObject("CTBull", std::make_unique<CTBull>(8.0, 1.5).get());
}

// A drawing of every entity kind on two layers, whole and as the selection of two entities.
void Databases() {
  CDBase db;
  db.SetNotes(CString(L"seed"));
  db.InitLayer();
  db.AddLayer(new CLayer(CString(L"Page2")));
  const double a[2] = {0, 0}, b[2] = {10, 0}, c[2] = {10, 5}, p[3] = {0, 0, 0}, q[3] = {5, 1, 2};
  db.AddTail(dbGenLine(a, b));
  db.AddTail(dbGenArcCSE(a, b, c, 1));
  db.AddTail(dbGenRect(a, c));
  auto* list = new CDbCurveList;
  list->AddCurve(new CGeLine(b, c));
  db.AddTail(list);
  db.AddTail(new CDbCurve3d(new CGeLine3d(p, q)));
  auto* dib = new CDib;
  dib->Create(2, 2);
  dib->AddRef();
  db.AddTail(new CDbImage(dib, a));
  auto* group = new CDbPathGroup;
  auto* unit = new CDbPathUnit;
  unit->m_pCurve = new CGeCombCurve3d;
  unit->m_pCurve->AddTail(new CGeLine3d(p, q));
  group->m_UnitList.AddTail(unit);
  db.AddTail(group);
  auto save = [&](const char* name, bool selected) {
    CMemFile file;
    {
      CArchive ar(&file, CArchive::store);
      selected ? db.SerializeSelected(ar) : db.Serialize(ar);
      ar.Close();
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(file.GetLength()));
    file.SeekToBegin();
    file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    Save("database", name, bytes);
  };
  save("drawing", false);
  int i = 0;
  for (POSITION pos = db.GetEntityList().GetHeadPosition(); pos; ++i) {
    CDbEntity* e = db.GetEntityList().GetNext(pos);
    e->SetSelected(i == 1 || i == 5);
  }
  save("selection", true);
  for (POSITION pos = db.GetEntityList().GetHeadPosition(); pos;) db.GetEntityList().GetNext(pos)->SetSelected(0);
  save("empty-selection", true);
}

// Bytes that write puts through a storing archive.
template <class F>
std::vector<uint8_t> Stream(F&& write) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    write(ar);
    ar.Close();
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// What the program's readers take: drawing files (open and import), clipboard payloads, and
// the command configuration. The lists that refer back to an object already read (an entity's
// own curve, one entity twice) are seeds too: they once freed a curve that was still in use.
void ShellInputs() {
  const double a[2] = {0, 0}, b[2] = {10, 0}, c[2] = {10, 5};
  CDBase db;
  db.SetNotes(CString(L"seed"));
  db.InitLayer();
  db.AddTail(dbGenLine(a, b));
  db.AddTail(dbGenRect(a, c));
  db.AddTail(new CDbAidLine(3.0, CDbAidLine::HORIZONTAL, 1));
  const std::vector<uint8_t> drawing = Stream([&](CArchive& ar) {
    CPreviewDlg preview;
    preview.BitmapSerialize(ar);
    db.Serialize(ar);
  });
  Save("document", "drawing.vlm", drawing);
  Save("import", "drawing.vlm", drawing);

  CDbEntityList two;
  two.AddTail(db.GetEntityList().GetHead());
  two.AddTail(db.GetEntityList().GetTail());
  Save("clipboard", "two-entities", Stream([&](CArchive& ar) {
         ar << 5.0 << 2.5;
         two.Serialize(ar);
       }));
  std::unique_ptr<CDbCurve> rect(dbGenRect(a, c));
  for (bool ownCurve : {true, false}) {
    auto aliased = [&](CArchive& ar) {
      ar.WriteCount(2);
      ar << static_cast<const CObject*>(rect.get());
      ar << (ownCurve ? static_cast<const CObject*>(rect->GetCurve()) : static_cast<const CObject*>(rect.get()));
    };
    const std::string name = ownCurve ? "entity-then-its-curve" : "entity-twice";
    Save("clipboard", name, Stream([&](CArchive& ar) {
           ar << 1.0 << 1.0;
           aliased(ar);
         }));
    Save("import", name + ".vlm", Stream([&](CArchive& ar) {
           CPreviewDlg preview;
           preview.BitmapSerialize(ar);
           ar << CString(L"") << int(DB_STREAM_VERSION);
           aliased(ar);
         }));
  }

  // The command configuration of a hub with every command registered, as the frame writes it.
  COrdvale hub;
  gSetOrdvale(&hub);
  cmdSetShellCommandMaker(&shellMakeCommand);
  cmdRegisterAppCommands();
  cmdRegisterMainCommands();
  CKxTabWnd tabs;
  Save("command_cfg", "Command.cfg", Stream([&](CArchive& ar) {
         tabs.Serialize(ar);
         hub.Serialize(ar);
       }));
  cmdSetShellCommandMaker(nullptr);
  gSetOrdvale(nullptr);
}

// 4 x 3 RGBA test card: colours, a grey ramp and transparency.
std::vector<uint8_t> Card() {
  std::vector<uint8_t> px;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      px.insert(px.end(), {uint8_t(x * 80), uint8_t(y * 120), uint8_t(255 - x * 60), uint8_t(x == 3 ? 0 : 255)});
  return px;
}

void Png(const std::string& name, uint32_t format, int channels) {
  const std::vector<uint8_t> card = Card();
  std::vector<uint8_t> px;
  for (size_t i = 0; i < card.size(); i += 4) {
    if (channels == 1) px.push_back(card[i + 1]);
    else if (channels == 2) px.insert(px.end(), {card[i + 1], card[i + 3]});
    else px.insert(px.end(), card.begin() + long(i), card.begin() + long(i) + channels);
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = 4;
  image.height = 3;
  image.format = format;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, px.data(), 0, nullptr)) std::abort();
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, px.data(), 0, nullptr)) std::abort();
  out.resize(size);
  Save("picture", name, out);
}

void Jpeg(const std::string& name, bool grey, bool progressive, int w, int h, bool arithmetic = false) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &mem, &size);
  cinfo.image_width = JDIMENSION(w);
  cinfo.image_height = JDIMENSION(h);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 50, TRUE);
  cinfo.optimize_coding = !arithmetic;
  cinfo.arith_code = arithmetic;
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(size_t(w) * cinfo.input_components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = int(cinfo.next_scanline);
    for (int x = 0; x < w; ++x)
      for (int k = 0; k < cinfo.input_components; ++k)
        row[size_t(x) * cinfo.input_components + k] = uint8_t((x * 16 + y * 8 + k * 90) & 0xFF);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Save("picture", name, std::vector<uint8_t>(mem, mem + size));
  std::free(mem);
}

void Put(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// A bottom-up BMP of the test card at the given depth (a 2- or 16-entry grey palette at 1 and 4
// bits, bit fields at 16 bits).
void Bmp(const std::string& name, int bpp) {
  const std::vector<uint8_t> card = Card();
  const int w = 4, h = 3;
  std::vector<uint8_t> palette, masks;
  const int colours = bpp <= 8 ? 1 << bpp : 0;
  for (int i = 0; i < colours; ++i) {
    const uint8_t g = uint8_t(i * 255 / (colours - 1));
    palette.insert(palette.end(), {g, g, g, 0});
  }
  if (bpp == 16) {
    Put(masks, 0xF800, 4);
    Put(masks, 0x07E0, 4);
    Put(masks, 0x001F, 4);
  }
  const size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
  std::vector<uint8_t> pixels(stride * h, 0);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = pixels.data() + stride * size_t(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const uint8_t* s = &card[size_t(y * w + x) * 4];
      if (bpp <= 8) {
        const uint32_t idx = uint32_t(s[1]) * uint32_t(colours - 1) / 255;
        const int perByte = 8 / bpp;
        row[x / perByte] |= uint8_t(idx << (8 - bpp * (1 + x % perByte)));
      } else if (bpp == 16) {
        const uint32_t v = uint32_t(s[0] >> 3) << 11 | uint32_t(s[1] >> 2) << 5 | uint32_t(s[2] >> 3);
        row[x * 2] = uint8_t(v);
        row[x * 2 + 1] = uint8_t(v >> 8);
      } else {
        for (int k = 0; k < bpp / 8; ++k) row[x * (bpp / 8) + k] = k < 3 ? s[2 - k] : s[3];
      }
    }
  }
  const uint32_t offset = uint32_t(14 + 40 + masks.size() + palette.size());
  std::vector<uint8_t> b = {'B', 'M'};
  Put(b, offset + uint32_t(pixels.size()), 4);
  Put(b, 0, 4);
  Put(b, offset, 4);
  Put(b, 40, 4);
  Put(b, w, 4);
  Put(b, h, 4);
  Put(b, 1, 2);
  Put(b, uint32_t(bpp), 2);
  Put(b, bpp == 16 ? 3 : 0, 4);
  Put(b, uint32_t(pixels.size()), 4);
  Put(b, 2835, 4);
  Put(b, 2835, 4);
  Put(b, uint32_t(colours), 4);
  Put(b, 0, 4);
  b.insert(b.end(), masks.begin(), masks.end());
  b.insert(b.end(), palette.begin(), palette.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  Save("picture", name, b);
}

void Pictures() {
  Png("rgba.png", PNG_FORMAT_RGBA, 4);
  Png("rgb.png", PNG_FORMAT_RGB, 3);
  Png("grey.png", PNG_FORMAT_GRAY, 1);
  Png("grey-alpha.png", PNG_FORMAT_GA, 2);
  Jpeg("colour.jpg", false, false, 24, 16);
  Jpeg("grey.jpg", true, false, 16, 8);
  Jpeg("progressive.jpg", false, true, 24, 16);
  Jpeg("arithmetic.jpg", false, false, 24, 16, true);
  for (int bpp : {1, 4, 8, 16, 24, 32}) Bmp("depth" + std::to_string(bpp) + ".bmp", bpp);
}

// Text written through the text classes themselves into a scratch file.
template <class File>
void Text(const std::string& name, UINT flags, const std::vector<const wchar_t*>& pieces) {
  const fs::path tmp = gRoot / ".scratch";
  fs::remove(tmp);
  {
    File file;
    if (!file.Open(CString::FromUtf8(tmp.string()), CFile::modeCreate | CFile::modeWrite | flags)) std::abort();
    for (const wchar_t* s : pieces) file.WriteString(s);
    file.Close();
  }
  std::ifstream in(tmp, std::ios::binary);
  Save("text", name, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
  fs::remove(tmp);
}

void Texts() {
  const std::wstring longLine(300, L'x');
  Text<CStdioFile>("ansi-lf.txt", CFile::typeText, {L"G0 X0 Y0\n", L"G1 X10.5 Y-2\n", L"\n", L"M30"});
  Text<CStdioFile>("ansi-crlf.txt", CFile::typeText, {L"first\r\n", L"second\r\n", L"\r\n"});
  Text<CStdioFile>("ansi-long.txt", CFile::typeText, {longLine.c_str(), L"\nend\n"});
  Text<CStdioFile>("utf16-nomark.txt", CFile::typeBinary, {L"plain\r\n", L"w\u00e4de\n"});
  Text<CStdioFileEx>("utf16-mark.txt", CStdioFileEx::modeWriteUnicode,
                     {L"Werkzeug \u00d8 6\r\n", L"\u65e5\u672c\n", L"\U0001F527 last"});
  Text<CStdioFileEx>("ansi-latin.txt", CFile::typeText, {L"caf\u00e9\r\n", L"na\u00efve\n"});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  gRoot = argv[1];
  gRestoreVurodeDefaults();
  Archives();
  Databases();
  ShellInputs();
  Pictures();
  Texts();
  return 0;
}
