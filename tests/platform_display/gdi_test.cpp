// Bitmap resources through LoadImageA (a packed DIB: info header, masks,
// colours, pixels), what GetObjectA says of them, StretchBlt onto a surface's
// DC, and the bounds checks of the bitmap reader.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

#include "display_fixture.h"
#include "winlayer_resources.h"

namespace {

namespace fs = std::filesystem;

// A packed DIB as a resource stores it (no file header).
struct Dib {
    BITMAPINFOHEADER header{};
    std::vector<std::uint32_t> masks;
    std::vector<RGBQUAD> colours;
    std::vector<std::uint8_t> pixels;

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out(sizeof(header));
        std::memcpy(out.data(), &header, sizeof(header));
        const auto* m = reinterpret_cast<const std::uint8_t*>(masks.data());
        out.insert(out.end(), m, m + masks.size() * 4);
        const auto* c = reinterpret_cast<const std::uint8_t*>(colours.data());
        out.insert(out.end(), c, c + colours.size() * 4);
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

Dib Header(int width, int height, int bits) {
    Dib dib;
    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = width;
    dib.header.biHeight = height;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = static_cast<WORD>(bits);
    dib.header.biCompression = BI_RGB;
    return dib;
}

// 4 x 2, 8 bits, three colours, bottom-up: the top row is 0 1 2 0, the bottom 2 2 1 1.
Dib EightBit() {
    Dib dib = Header(4, 2, 8);
    dib.header.biClrUsed = 3;
    dib.colours = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};  // red, green, blue
    dib.pixels = {2, 2, 1, 1, 0, 1, 2, 0};
    return dib;
}

// 2 x 2, 24 bits, top-down: white, black / grey, yellow.
Dib TwentyFourBit() {
    Dib dib = Header(2, -2, 24);
    dib.pixels = {255, 255, 255, 0, 0, 0, 0, 0, 128, 128, 128, 0, 255, 255, 0, 0};
    return dib;
}

// Registers `bytes` as RT_BITMAP `id` of the executable for the rest of the run.
void Register(int id, const std::vector<std::uint8_t>& bytes) {
    static std::deque<std::vector<std::uint8_t>> store;
    static std::deque<layer::ResourceEntry> entries;
    store.push_back(bytes);
    entries.push_back(layer::ResourceEntry{nullptr, 2, nullptr, static_cast<unsigned short>(id),
                                           store.back().data(), store.back().size()});
    layer::RegisterResources(&entries.back(), 1);
}

HBITMAP Load(int id) {
    return static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// StretchBlt of a whole bitmap onto a whole surface through their DCs.
BOOL CopyOnto(IDirectDrawSurface7* surface, HBITMAP bitmap, int width, int height, int srcWidth, int srcHeight) {
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    EXPECT_NE(old, nullptr);
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), DD_OK);
    const BOOL result = StretchBlt(dc, 0, 0, width, height, memory, 0, 0, srcWidth, srcHeight, SRCCOPY);
    surface->ReleaseDC(dc);
    SelectObject(memory, old);
    EXPECT_TRUE(DeleteDC(memory));
    return result;
}

}  // namespace

TEST_F(DisplayTest, EightBitBitmapDescribesItselfAndConvertsTo565) {
    Register(700, EightBit().Bytes());
    HBITMAP bitmap = Load(700);
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof(bm), &bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 8);
    EXPECT_EQ(bm.bmWidthBytes, 4);
    EXPECT_NE(bm.bmBits, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof(ds), &ds), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_EQ(ds.dsBmih.biBitCount, 8);
    EXPECT_EQ(ds.dsBmih.biClrUsed, 3u);

    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RGBQUAD table[256]{};
    EXPECT_EQ(GetDIBColorTable(memory, 0, 256, table), 3u);
    EXPECT_EQ(table[2].rgbBlue, 255);
    EXPECT_EQ(GetDIBColorTable(memory, 2, 5, table), 1u);
    // A bitmap in one context cannot be deleted or go into another.
    EXPECT_FALSE(DeleteObject(bitmap));
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    DeleteDC(other);
    SelectObject(memory, old);
    DeleteDC(memory);

    IDirectDrawSurface7* surface = Make(4, 2, 0);
    ASSERT_TRUE(CopyOnto(surface, bitmap, 4, 2, 4, 2));
    EXPECT_EQ(Pixels(surface), (std::vector<std::uint16_t>{0xF800, 0x07E0, 0x001F, 0xF800,  //
                                                           0x001F, 0x001F, 0x07E0, 0x07E0}));
    // Stretched onto a larger surface every source pixel covers a 2 x 2 block.
    IDirectDrawSurface7* big = Make(8, 4, 0);
    ASSERT_TRUE(CopyOnto(big, bitmap, 8, 4, 4, 2));
    EXPECT_EQ(PixelAt(big, 1, 1), 0xF800);
    EXPECT_EQ(PixelAt(big, 4, 0), 0x001F);
    EXPECT_EQ(PixelAt(big, 7, 3), 0x07E0);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));  // already gone
}

TEST_F(DisplayTest, TwentyFourBitTopDownBitmap) {
    Register(701, TwentyFourBit().Bytes());
    HBITMAP bitmap = Load(701);
    ASSERT_NE(bitmap, nullptr);
    IDirectDrawSurface7* surface = Make(2, 2, 0x1234);
    ASSERT_TRUE(CopyOnto(surface, bitmap, 2, 2, 2, 2));
    EXPECT_EQ(Pixels(surface), (std::vector<std::uint16_t>{0xFFFF, 0x0000, 0x8410, 0xFFE0}));
    DeleteObject(bitmap);
}

TEST_F(DisplayTest, PixelIndicesBeyondThePaletteAreBlack) {
    Dib dib = EightBit();
    dib.pixels = {200, 255, 1, 3, 0, 0, 0, 0};  // 200, 255 and 3 have no colour
    Register(702, dib.Bytes());
    HBITMAP bitmap = Load(702);
    ASSERT_NE(bitmap, nullptr);
    IDirectDrawSurface7* surface = Make(4, 2, 0x1234);
    ASSERT_TRUE(CopyOnto(surface, bitmap, 4, 2, 4, 2));
    EXPECT_EQ(Pixels(surface), (std::vector<std::uint16_t>{0xF800, 0xF800, 0xF800, 0xF800, 0, 0, 0x07E0, 0}));
    DeleteObject(bitmap);
}

TEST_F(DisplayTest, BrokenBitmapsAreRefused) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    {
        Dib d = EightBit();
        d.header.biClrUsed = 300;
        cases.push_back({"more than 256 colours", d.Bytes()});
    }
    {
        Dib d = EightBit();
        d.header.biBitCount = 7;
        cases.push_back({"7 bits per pixel", d.Bytes()});
    }
    {
        Dib d = EightBit();
        d.header.biWidth = -4;
        cases.push_back({"negative width", d.Bytes()});
    }
    {
        Dib d = EightBit();
        d.header.biHeight = 0;
        cases.push_back({"no rows", d.Bytes()});
    }
    {
        Dib d = EightBit();
        d.header.biWidth = 0x7FFFFFFF;
        cases.push_back({"absurd width", d.Bytes()});
    }
    {
        Dib d = EightBit();
        d.header.biWidth = 30000;
        d.header.biHeight = 30000;
        cases.push_back({"absurd area", d.Bytes()});
    }
    {
        Dib d = EightBit();
        d.pixels.resize(7);
        cases.push_back({"pixels cut short", d.Bytes()});
    }
    {
        Dib d = EightBit();
        d.header.biClrUsed = 200;  // the table runs past the end of the data
        cases.push_back({"colour table beyond the data", d.Bytes()});
    }
    {
        Dib d = EightBit();
        d.header.biCompression = BI_RLE8;
        cases.push_back({"run-length compressed", d.Bytes()});
    }
    {
        Dib d = EightBit();
        d.header.biSize = 200;
        cases.push_back({"header longer than the data", d.Bytes()});
    }
    {
        Dib d = TwentyFourBit();
        d.header.biCompression = BI_BITFIELDS;
        cases.push_back({"masks on 24 bits", d.Bytes()});
    }
    cases.push_back({"three bytes", {40, 0, 0}});
    int id = 710;
    for (const Case& c : cases) {
        Register(id, c.bytes);
        EXPECT_EQ(Load(id), nullptr) << c.name;
        ++id;
    }
    EXPECT_EQ(Load(799), nullptr) << "no such resource";
}

namespace {

// A .bmp file: the 14-byte file header, then the packed DIB; `gap` bytes of
// nothing between the colour table and the pixels, as the header's offset says.
std::vector<std::uint8_t> BitmapFile(const Dib& dib, std::size_t gap = 0) {
    Dib header = dib;
    header.pixels.clear();
    std::vector<std::uint8_t> out = {'B', 'M'};
    const std::size_t pixelsAt = 14 + header.Bytes().size() + gap;
    const std::uint32_t fields[3] = {static_cast<std::uint32_t>(pixelsAt + dib.pixels.size()), 0,
                                     static_cast<std::uint32_t>(pixelsAt)};
    const auto* f = reinterpret_cast<const std::uint8_t*>(fields);
    out.insert(out.end(), f, f + 12);
    const std::vector<std::uint8_t> packed = header.Bytes();
    out.insert(out.end(), packed.begin(), packed.end());
    out.insert(out.end(), gap, 0xEE);
    out.insert(out.end(), dib.pixels.begin(), dib.pixels.end());
    return out;
}

HBITMAP LoadFile(const std::string& path) {
    return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

}  // namespace

// Bitmaps from files read like resources, wherever the header says the
// pixels are; anything but a regular bitmap file is refused, and a FIFO or a
// device without waiting on it (the alarm turns a hang into a failure).
TEST_F(DisplayTest, BitmapsFromFiles) {
    const fs::path folder = fs::temp_directory_path() / ("zarnok_bmp_" + std::to_string(getpid()));
    fs::create_directories(folder);
    auto put = [&](const char* name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return (folder / name).string();
    };
    for (std::size_t gap : {0u, 6u}) {
        SCOPED_TRACE(gap);
        HBITMAP bitmap = LoadFile(put("eight.bmp", BitmapFile(EightBit(), gap)));
        ASSERT_NE(bitmap, nullptr);
        IDirectDrawSurface7* surface = Make(4, 2, 0);
        ASSERT_TRUE(CopyOnto(surface, bitmap, 4, 2, 4, 2));
        EXPECT_EQ(Pixels(surface), (std::vector<std::uint16_t>{0xF800, 0x07E0, 0x001F, 0xF800,  //
                                                               0x001F, 0x001F, 0x07E0, 0x07E0}));
        EXPECT_TRUE(DeleteObject(bitmap));
    }

    std::vector<std::uint8_t> notBm = BitmapFile(EightBit());
    notBm[0] = 'X';
    std::vector<std::uint8_t> offsetInHeader = BitmapFile(EightBit());
    offsetInHeader[10] = 20;
    std::vector<std::uint8_t> offsetPastEnd = BitmapFile(EightBit());
    offsetPastEnd[11] = 0x10;
    ASSERT_EQ(mkfifo((folder / "fifo.bmp").c_str(), 0600), 0);
    fs::create_directory(folder / "folder.bmp");
    struct Case {
        const char* what;
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        {"a missing file", (folder / "missing.bmp").string(), ERROR_FILE_NOT_FOUND},
        {"a FIFO", (folder / "fifo.bmp").string(), ERROR_INVALID_PARAMETER},
        {"a folder", (folder / "folder.bmp").string(), ERROR_INVALID_PARAMETER},
        {"a device", "/dev/zero", ERROR_INVALID_PARAMETER},
        {"not a bitmap file", put("x.bmp", notBm), ERROR_INVALID_PARAMETER},
        {"pixels inside the header", put("h.bmp", offsetInHeader), ERROR_INVALID_PARAMETER},
        {"pixels past the end", put("e.bmp", offsetPastEnd), ERROR_INVALID_PARAMETER},
        {"only a file header", put("s.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), ERROR_INVALID_PARAMETER},
    };
    alarm(10);
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(LoadFile(c.path), nullptr) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    alarm(0);
    EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCEA(700), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    fs::remove_all(folder);
}

TEST_F(DisplayTest, CreateDIBSectionAndBitfields) {
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 3;
    info.header.biHeight = -1;
    info.header.biPlanes = 1;
    info.header.biBitCount = 16;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                      nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bits, nullptr);
    const std::uint16_t row[3] = {0xF800, 0x07E0, 0xFFFF};
    std::memcpy(bits, row, sizeof(row));
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    EXPECT_EQ(ds.dsBitfields[1], 0x07E0u);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 8);  // rows are whole 32-bit words
    IDirectDrawSurface7* surface = Make(3, 1, 0);
    ASSERT_TRUE(CopyOnto(surface, bitmap, 3, 1, 3, 1));
    EXPECT_EQ(Pixels(surface), (std::vector<std::uint16_t>{0xF800, 0x07E0, 0xFFFF}));
    DeleteObject(bitmap);
}

// A top-down 24-bit DIB section of `width` x 1 selected into a new memory DC.
struct TrueColourRow {
    explicit TrueColourRow(int width) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -1;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~TrueColourRow() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    // 0x00RRGGBB of pixel x.
    std::uint32_t At(int x) const { return bits[3 * x + 2] << 16 | bits[3 * x + 1] << 8 | bits[3 * x]; }

    HBITMAP bitmap = nullptr;
    std::uint8_t* bits = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
};

// Five- and six-bit levels where the nearest 8-bit value differs from bit
// replication or from rounding down: 5-bit 3 is 25, 7 is 58, 24 is 197, 28 is
// 230; 6-bit 12 is 49 and 48 is 194.
TEST_F(DisplayTest, SixteenBitPixelsWidenToTheNearestEightBitValue) {
    const std::vector<std::uint16_t> surfacePixels = {3 << 11 | 12 << 5 | 28, 24 << 11 | 48 << 5 | 7, 0xFFFF, 0};
    const std::vector<std::uint32_t> widened = {0x1931E6, 0xC5C23A, 0xFFFFFF, 0};

    IDirectDrawSurface7* surface = Make(4, 1, 0);
    Paint(surface, surfacePixels);
    TrueColourRow fromSurface(4);
    ASSERT_NE(fromSurface.bits, nullptr);
    HDC surfaceDC = nullptr;
    ASSERT_EQ(surface->GetDC(&surfaceDC), DD_OK);
    EXPECT_TRUE(BitBlt(fromSurface.dc, 0, 0, 4, 1, surfaceDC, 0, 0, SRCCOPY));
    surface->ReleaseDC(surfaceDC);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(fromSurface.At(x), widened[x]) << "surface pixel " << x;

    // The same levels in 16-bit bitmaps: 5-6-5 through colour masks, and
    // 5-5-5, the layout of a 16-bit bitmap without masks.
    Dib masked = Header(4, 1, 16);
    masked.header.biCompression = BI_BITFIELDS;
    masked.masks = {0xF800, 0x07E0, 0x001F};
    for (std::uint16_t p : surfacePixels) masked.pixels.insert(masked.pixels.end(), {std::uint8_t(p), std::uint8_t(p >> 8)});
    Dib plain = Header(2, 1, 16);
    for (std::uint16_t p : {std::uint16_t(3 << 10 | 7 << 5 | 24), std::uint16_t(0x7FFF)})
        plain.pixels.insert(plain.pixels.end(), {std::uint8_t(p), std::uint8_t(p >> 8)});
    const struct {
        const char* name;
        Dib dib;
        std::vector<std::uint32_t> widened;
    } bitmaps[] = {{"5-6-5", masked, widened}, {"5-5-5", plain, {0x193AC5, 0xFFFFFF}}};
    int id = 710;
    for (const auto& c : bitmaps) {
        Register(id, c.dib.Bytes());
        HBITMAP bitmap = Load(id++);
        ASSERT_NE(bitmap, nullptr) << c.name;
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(memory, bitmap);
        const int width = static_cast<int>(c.widened.size());
        TrueColourRow out(width);
        EXPECT_TRUE(BitBlt(out.dc, 0, 0, width, 1, memory, 0, 0, SRCCOPY)) << c.name;
        for (int x = 0; x < width; ++x) EXPECT_EQ(out.At(x), c.widened[x]) << c.name << " pixel " << x;
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
    }
}

TEST_F(DisplayTest, StretchBltRefusals) {
    Register(703, EightBit().Bytes());
    HBITMAP bitmap = Load(703);
    IDirectDrawSurface7* surface = Make(4, 2, 0x1234);
    HDC memory = CreateCompatibleDC(nullptr);
    HDC empty = CreateCompatibleDC(nullptr);
    SelectObject(memory, bitmap);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_FALSE(StretchBlt(dc, 0, 0, 4, 2, memory, 0, 0, 4, 2, SRCPAINT));
    EXPECT_FALSE(StretchBlt(dc, 0, 0, 4, 2, reinterpret_cast<HDC>(&dc), 0, 0, 4, 2, SRCCOPY));
    EXPECT_FALSE(StretchBlt(dc, 0, 0, 4, 2, empty, 0, 0, 4, 2, SRCCOPY));
    EXPECT_FALSE(StretchBlt(memory, 0, 0, 4, 2, dc, 0, 0, 4, 2, SRCCOPY));  // into an 8-bit bitmap
    // Reaching past either side is clipped, never read or written out of bounds.
    EXPECT_TRUE(StretchBlt(dc, -2, -1, 8, 4, memory, -1, -1, 8, 4, SRCCOPY));
    EXPECT_FALSE(DeleteDC(dc));  // a surface's DC goes back through ReleaseDC
    surface->ReleaseDC(dc);
    DeleteDC(empty);
    DeleteDC(memory);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(GdiRegions, RectangleRegionData) {
    RECT r{10, 20, 5, 40};  // corners are put in order
    HRGN region = CreateRectRgnIndirect(&r);
    ASSERT_NE(region, nullptr);
    const DWORD size = GetRegionData(region, 0, nullptr);
    ASSERT_EQ(size, 48u);
    std::vector<char> small(size - 1);
    EXPECT_EQ(GetRegionData(region, size - 1, reinterpret_cast<RGNDATA*>(small.data())), 0u);
    std::vector<char> data(size);
    auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
    ASSERT_EQ(GetRegionData(region, size, rgn), size);
    EXPECT_EQ(rgn->rdh.dwSize, sizeof(RGNDATAHEADER));
    EXPECT_EQ(rgn->rdh.iType, static_cast<DWORD>(RDH_RECTANGLES));
    EXPECT_EQ(rgn->rdh.nCount, 1u);
    RECT stored;
    std::memcpy(&stored, rgn->Buffer, sizeof(stored));
    EXPECT_EQ(stored.left, 5);
    EXPECT_EQ(stored.right, 10);
    EXPECT_EQ(stored.bottom, 40);
    EXPECT_TRUE(DeleteObject(region));
    EXPECT_EQ(GetRegionData(region, 0, nullptr), 0u);

    RECT flat{0, 0, 10, 0};
    HRGN emptyRegion = CreateRectRgnIndirect(&flat);
    EXPECT_EQ(GetRegionData(emptyRegion, 0, nullptr), sizeof(RGNDATAHEADER));
    DeleteObject(emptyRegion);
}
