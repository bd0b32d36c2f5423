// The Win32 drawing and menu calls the editor makes. The library the host loads uses the real
// ones from <windows.h>; the native build declares the same names here, and a recording
// stand-in of the tests implements them.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdint>

typedef void* HGDIOBJ;
typedef void* HDC;
typedef void* HPEN;
typedef void* HBRUSH;
typedef void* HFONT;
typedef void* HMENU;
typedef void* HWND;
typedef uint32_t COLORREF;
typedef uint32_t UINT;
typedef uintptr_t UINT_PTR;
typedef int BOOL;

struct RECT {
    int32_t left, top, right, bottom;
};
struct POINT {
    int32_t x, y;
};
struct LOGFONTA {
    int32_t lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight;
    uint8_t lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision, lfClipPrecision,
        lfQuality, lfPitchAndFamily;
    char lfFaceName[32];
};

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr int PS_SOLID = 0;
constexpr int TRANSPARENT = 1;
constexpr UINT MF_STRING = 0x0;
constexpr UINT MF_POPUP = 0x10;
constexpr UINT MF_SEPARATOR = 0x800;
constexpr UINT TPM_NONOTIFY = 0x80;
constexpr UINT TPM_RETURNCMD = 0x100;

HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HFONT CreateFontIndirectA(const LOGFONTA* font);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
COLORREF SetTextColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
UINT SetTextAlign(HDC dc, UINT align);
BOOL TextOutA(HDC dc, int x, int y, const char* text, int length);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL PtInRect(const RECT* rect, POINT point);
HMENU CreatePopupMenu();
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, const char* text);
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* exclude);
BOOL DestroyMenu(HMENU menu);
#endif
