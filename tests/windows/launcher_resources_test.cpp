// launcher.exe as a data file: its dialog templates, pictures, icons,
// strings, manifest and version, all in Chinese (PRC); and its exports.
#include <gtest/gtest.h>

#include <windows.h>

#include <gdiplus.h>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/gdiplus_picture.h"

namespace {

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

std::wstring LauncherPath() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"launcher.exe";
}

// The bytes of one resource in 2052.
std::string ResourceBytes(HMODULE module, LPCWSTR type, int id) {
  HRSRC found = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), kChinesePrc);
  if (found == nullptr) return std::string();
  const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
  return std::string(bytes, ::SizeofResource(module, found));
}

// Reads a DLGTEMPLATEEX: what the launcher relies on of each control.
class TemplateReader {
 public:
  explicit TemplateReader(const std::string& bytes) : bytes_(bytes) {}

  WORD Word() { return Read<WORD>(); }
  DWORD Dword() { return Read<DWORD>(); }
  // A string or 0xFFFF and an ordinal, given back as "#ordinal".
  std::wstring NameOrOrdinal() {
    WORD first = Word();
    if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
    std::wstring text;
    for (WORD c = first; c != 0; c = Word()) text += static_cast<wchar_t>(c);
    return text;
  }
  void AlignToDword() { offset_ = (offset_ + 3) & ~std::size_t{3}; }
  void Skip(std::size_t count) { offset_ += count; }

 private:
  template <typename T>
  T Read() {
    T value{};
    if (offset_ + sizeof(T) <= bytes_.size())
      std::memcpy(&value, bytes_.data() + offset_, sizeof(T));
    offset_ += sizeof(T);
    return value;
  }

  const std::string& bytes_;
  std::size_t offset_ = 0;
};

struct Control {
  DWORD id;
  std::wstring windowClass;
  std::wstring text;
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
};

struct Dialog {
  DWORD style = 0;
  short cx = 0, cy = 0;
  WORD pointSize = 0;
  std::wstring font;
  std::vector<Control> controls;
};

Dialog ReadDialog(const std::string& bytes) {
  TemplateReader reader(bytes);
  Dialog dialog;
  EXPECT_EQ(reader.Word(), 1);       // dlgVer
  EXPECT_EQ(reader.Word(), 0xFFFF);  // DLGTEMPLATEEX
  reader.Dword();                    // helpID
  reader.Dword();                    // exStyle
  dialog.style = reader.Dword();
  WORD count = reader.Word();
  reader.Skip(4);  // x, y
  dialog.cx = static_cast<short>(reader.Word());
  dialog.cy = static_cast<short>(reader.Word());
  EXPECT_EQ(reader.NameOrOrdinal(), L"");  // menu
  EXPECT_EQ(reader.NameOrOrdinal(), L"");  // class
  EXPECT_EQ(reader.NameOrOrdinal(), L"");  // caption
  dialog.pointSize = reader.Word();
  EXPECT_EQ(reader.Word(), 400);  // weight
  reader.Skip(2);                 // italic, charset
  dialog.font = reader.NameOrOrdinal();
  for (WORD i = 0; i < count; ++i) {
    reader.AlignToDword();
    Control control{};
    reader.Dword();  // helpID
    control.exStyle = reader.Dword();
    control.style = reader.Dword();
    control.x = static_cast<short>(reader.Word());
    control.y = static_cast<short>(reader.Word());
    control.cx = static_cast<short>(reader.Word());
    control.cy = static_cast<short>(reader.Word());
    control.id = reader.Dword();
    control.windowClass = reader.NameOrOrdinal();
    control.text = reader.NameOrOrdinal();
    reader.Skip(reader.Word());
    dialog.controls.push_back(control);
  }
  return dialog;
}

class LauncherResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = ::LoadLibraryExW(LauncherPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "no launcher.exe beside the test";
  }
  void TearDown() override {
    if (module_ != nullptr) ::FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_F(LauncherResources, BackgroundTemplateIsAnEmptyPopUp) {
  Dialog dialog = ReadDialog(ResourceBytes(module_, RT_DIALOG, 150));
  EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | DS_SETFONT | DS_FIXEDSYS));
  EXPECT_EQ(dialog.cx, 800);
  EXPECT_EQ(dialog.cy, 426);
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.font, L"MS Shell Dlg");
  EXPECT_TRUE(dialog.controls.empty());
}

TEST_F(LauncherResources, PanelTemplateHasItsControlsInTabOrder) {
  Dialog dialog = ReadDialog(ResourceBytes(module_, RT_DIALOG, 102));
  EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | DS_SETFONT | DS_FIXEDSYS));
  EXPECT_EQ(dialog.cx, 800);
  EXPECT_EQ(dialog.cy, 424);
  ASSERT_EQ(dialog.controls.size(), 6u);
  const std::wstring kStatic = L"#130";
  const DWORD kChild = WS_CHILD | WS_VISIBLE;
  struct Expected {
    DWORD id;
    std::wstring windowClass;
    std::wstring text;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
  } expected[] = {
      {1000, kStatic, L"", kChild | SS_OWNERDRAW | SS_REALSIZEIMAGE, WS_EX_TRANSPARENT, 0, 0, 34,
       38},
      {1005, L"{8856F961-340A-11D0-A96B-00C04FD705A2}", L"", kChild | WS_TABSTOP, 0, 245, 95, 393,
       262},
      {1012, kStatic, L"", kChild | SS_OWNERDRAW | SS_REALSIZEIMAGE, 0, 263, 369, 395, 5},
      {1003, kStatic, L"", kChild | SS_OWNERDRAW | SS_NOTIFY | SS_REALSIZEIMAGE, 0, 717, 155, 29,
       25},
      {1006, kStatic, L"", kChild | SS_OWNERDRAW | SS_NOTIFY | SS_REALSIZEIMAGE, 0, 713, 118, 29,
       27},
      {1018, kStatic, L".............", kChild | WS_GROUP | SS_LEFT, 0, 388, 377, 174, 14},
  };
  for (std::size_t i = 0; i < 6; ++i) {
    const Control& control = dialog.controls[i];
    SCOPED_TRACE(expected[i].id);
    EXPECT_EQ(control.id, expected[i].id);
    EXPECT_EQ(control.windowClass, expected[i].windowClass);
    EXPECT_EQ(control.text, expected[i].text);
    EXPECT_EQ(control.style, expected[i].style);
    EXPECT_EQ(control.exStyle, expected[i].exStyle);
    EXPECT_EQ(control.x, expected[i].x);
    EXPECT_EQ(control.y, expected[i].y);
    EXPECT_EQ(control.cx, expected[i].cx);
    EXPECT_EQ(control.cy, expected[i].cy);
  }
}

TEST_F(LauncherResources, PicturesDecodeToTheirSizesWithPremultipliedAlpha) {
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
  struct {
    int id, width, height;
  } pictures[] = {{136, 44, 42}, {158, 592, 5}, {163, 66, 23}, {135, 1200, 700}};
  for (const auto& expected : pictures) {
    SCOPED_TRACE(expected.id);
    EXPECT_FALSE(ResourceBytes(module_, L"PNG", expected.id).empty());
    auto picture = platform::GdiplusPicture::LoadPngResource(module_, expected.id);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), expected.width);
    EXPECT_EQ(picture->Height(), expected.height);
    DIBSECTION section{};
    ASSERT_NE(::GetObjectW(picture->PremultipliedSection(), sizeof(section), &section), 0);
    const auto* pixels = static_cast<const std::uint8_t*>(section.dsBm.bmBits);
    int translucent = 0;
    for (int i = 0; i < expected.width * expected.height; ++i) {
      const std::uint8_t* pixel = pixels + i * 4;
      ASSERT_LE(pixel[0], pixel[3]);
      ASSERT_LE(pixel[1], pixel[3]);
      ASSERT_LE(pixel[2], pixel[3]);
      if (pixel[3] < 255) ++translucent;
    }
    // The background's surroundings are see-through.
    if (expected.id == 135) {
      EXPECT_GT(translucent, 0);
    }
  }
  EXPECT_EQ(platform::GdiplusPicture::LoadPngResource(module_, 999), nullptr);
  Gdiplus::GdiplusShutdown(token);
}

TEST_F(LauncherResources, IconGroupsHoldOne256PixelPngEach) {
  for (int id : {127, 128}) {
    SCOPED_TRACE(id);
    std::string group = ResourceBytes(module_, RT_GROUP_ICON, id);
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(group[4], 1);  // one image
    EXPECT_EQ(group[6], 0);  // width 256
    EXPECT_EQ(group[7], 0);  // height 256
    WORD iconId = 0;
    std::memcpy(&iconId, group.data() + 18, 2);
    std::string image = ResourceBytes(module_, RT_ICON, iconId);
    EXPECT_EQ(image.substr(0, 4), "\x89PNG");
  }
}

TEST_F(LauncherResources, TitleManifestAndVersion) {
  wchar_t title[16] = {};
  ASSERT_GT(::LoadStringW(module_, 57344, title, 16), 0);
  EXPECT_STREQ(title, L"\u63D0\u793A");

  std::string manifest = ResourceBytes(module_, RT_MANIFEST, 1);
#ifdef _WIN64
  const char* architecture = "processorArchitecture=\"amd64\"";
#else
  const char* architecture = "processorArchitecture=\"x86\"";
#endif
  for (const char* part :
       {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", architecture,
        "level=\"asInvoker\"", "uiAccess=\"false\"", ">true</dpiAware>"}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }

  std::string version = ResourceBytes(module_, RT_VERSION, 1);
  const DWORD signature = 0xFEEF04BD;
  std::size_t at = version.find(std::string(reinterpret_cast<const char*>(&signature), 4));
  ASSERT_NE(at, std::string::npos);
  VS_FIXEDFILEINFO info{};
  std::memcpy(&info, version.data() + at, sizeof(info));
  EXPECT_EQ(info.dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(info.dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(info.dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(info.dwProductVersionLS, 0x00000001u);
}

// Standard-call decoration exists only on x86; x64 exports the plain names.
TEST(LauncherExports, JsonFunctionsUnderTheirCallingConventionsNames) {
  HMODULE module = ::LoadLibraryExW(LauncherPath().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(module, nullptr);
#ifdef _WIN64
  const char* exported[] = {"cJSON_Parse", "cJSON_ParseWithLengthOpts", "cJSON_GetObjectItem",
                            "cJSON_Delete", "cJSON_Version"};
  const char* absent = "_cJSON_Parse@4";
#else
  const char* exported[] = {"_cJSON_Parse@4", "_cJSON_ParseWithLengthOpts@16",
                            "_cJSON_GetObjectItem@8", "_cJSON_Delete@4", "_cJSON_Version@0"};
  const char* absent = "cJSON_Parse";
#endif
  for (const char* name : exported) EXPECT_NE(::GetProcAddress(module, name), nullptr) << name;
  EXPECT_EQ(::GetProcAddress(module, absent), nullptr);
  ::FreeLibrary(module);
}

}  // namespace
