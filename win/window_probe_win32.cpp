#include "window_probe_win32.h"

#include <wincodec.h>

#include <string>
#include <string_view>

namespace {

std::wstring Variable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

bool IsSet(const wchar_t* name) {
    return GetEnvironmentVariableW(name, nullptr, 0) > 0;  // the size with the NUL, if set
}

void Write(DWORD stream, std::string_view text) {
    HANDLE handle = GetStdHandle(stream);
    DWORD written = 0;
    if (handle && handle != INVALID_HANDLE_VALUE) {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

// Releases a COM interface when it goes out of scope.
template <class T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// The window as the screen shows it, caption and frame included.
HBITMAP Grab(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

HRESULT SavePng(HBITMAP picture, const std::wstring& file) {
    Com<IWICImagingFactory> factory;
    Com<IWICBitmap> bitmap;
    Com<IWICStream> stream;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&factory.p));
    if (SUCCEEDED(result))
        result = factory->CreateBitmapFromHBITMAP(picture, nullptr, WICBitmapIgnoreAlpha, &bitmap);
    if (SUCCEEDED(result)) result = factory->CreateStream(&stream);
    if (SUCCEEDED(result)) result = stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(result))
        result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(result)) result = encoder->Initialize(stream.p, WICBitmapEncoderNoCache);
    if (SUCCEEDED(result)) result = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(result)) result = frame->Initialize(nullptr);
    if (SUCCEEDED(result)) result = frame->WriteSource(bitmap.p, nullptr);
    if (SUCCEEDED(result)) result = frame->Commit();
    if (SUCCEEDED(result)) result = encoder->Commit();
    return result;
}

}  // namespace

bool ProbeRequested() {
    return IsSet(L"QN7_PROBE_QUIT") || IsSet(L"QN7_PROBE_SHOT");
}

void ProbeShownWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Write(STD_OUTPUT_HANDLE, "painted\n");
    const std::wstring file = Variable(L"QN7_PROBE_SHOT");
    if (file.empty()) return;
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HBITMAP picture = Grab(window);
    const HRESULT saved = SavePng(picture, file);
    DeleteObject(picture);
    if (SUCCEEDED(initialised)) CoUninitialize();
    if (FAILED(saved)) {
        Write(STD_ERROR_HANDLE, "QN7_PROBE_SHOT: the picture could not be saved (HRESULT " +
                                    std::to_string(static_cast<unsigned long>(saved)) + ")\n");
    }
}
