#include "toolkit/win32/wic_jpeg.h"

#include <windows.h>
// After windows.h, which it needs.
#include <wincodec.h>

#include <stdexcept>

namespace toolkit::win32 {
namespace {

// Holds one COM interface and releases it.
template <typename T>
class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** out() { return &p_; }

  private:
    T* p_ = nullptr;
};

void check(HRESULT hr) {
    if (FAILED(hr)) throw std::runtime_error("The picture could not be decoded");
}

}  // namespace

Bitmap decode_jpeg(std::span<const std::uint8_t> bytes) {
    ComRef<IWICImagingFactory> factory;
    check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out())));
    ComRef<IWICStream> stream;
    check(factory->CreateStream(stream.out()));
    // WIC only reads the bytes; its signature is not const-correct.
    check(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size())));
    ComRef<IWICBitmapDecoder> decoder;
    check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                           decoder.out()));
    ComRef<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, frame.out()));
    ComRef<IWICFormatConverter> converter;
    check(factory->CreateFormatConverter(converter.out()));
    check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                nullptr, 0.0, WICBitmapPaletteTypeCustom));
    UINT width = 0;
    UINT height = 0;
    check(converter->GetSize(&width, &height));
    Bitmap bitmap;
    bitmap.width = static_cast<int>(width);
    bitmap.height = static_cast<int>(height);
    bitmap.pixels.resize(static_cast<std::size_t>(width) * height);
    // 32bppBGR in memory is B, G, R, X: a little-endian 0xXXRRGGBB.
    check(converter->CopyPixels(nullptr, width * 4,
                                static_cast<UINT>(bitmap.pixels.size() * sizeof(Pixel)),
                                reinterpret_cast<BYTE*>(bitmap.pixels.data())));
    for (Pixel& p : bitmap.pixels) p &= 0x00FFFFFFu;
    return bitmap;
}

}  // namespace toolkit::win32
