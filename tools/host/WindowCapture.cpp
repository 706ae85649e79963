#include "tools/host/WindowCapture.h"

#include <cstdint>
#include <vector>

#include "tools/host/PngFile.h"

WindowPicture captureWindow(HWND window, const std::string& pngPath) {
    WindowPicture picture;
    if (!IsWindow(window)) return picture;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT frame = {}, shown = {};
    GetWindowRect(window, &frame);
    const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (!IntersectRect(&shown, &frame, &screen)) return picture;
    const int w = shown.right - shown.left, h = shown.bottom - shown.top;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screenDc = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screenDc);
    HBITMAP bitmap = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        // The window's own DC: what it shows, even where another window lies over it.
        HDC source = GetWindowDC(window);
        copied = BitBlt(memory, 0, 0, w, h, source, shown.left - frame.left, shown.top - frame.top, SRCCOPY) != 0;
        ReleaseDC(window, source);
        GdiFlush();
        SelectObject(memory, old);
    }
    if (copied) {
        std::vector<std::uint8_t> rgb(std::size_t(w) * h * 3);
        const auto* p = static_cast<const std::uint8_t*>(bits);
        for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
            rgb[i * 3] = p[i * 4 + 2];
            rgb[i * 3 + 1] = p[i * 4 + 1];
            rgb[i * 3 + 2] = p[i * 4];
        }
        picture.oneColour = true;
        for (std::size_t i = 3; i < rgb.size() && picture.oneColour; ++i) picture.oneColour = rgb[i] == rgb[i % 3];
        picture.saved = writePng(pngPath, w, h, rgb);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screenDc);
    picture.width = w;
    picture.height = h;
    return picture;
}
