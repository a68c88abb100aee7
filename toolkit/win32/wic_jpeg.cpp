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

// The imaging factory and the JPEG decoder straight from windowscodecs.dll: the documented
// factory entry point and the decoder's class object, without a COM apartment. Under Wine
// this saves the COM start-up and the registry search for a decoder, most of the time from
// start to the first paint. Null where either is not to be had.
bool open_directly(ComRef<IWICImagingFactory>& factory, ComRef<IWICBitmapDecoder>& decoder) {
    HMODULE codecs = LoadLibraryW(L"windowscodecs.dll");
    if (!codecs) return false;
    using CreateFactory = HRESULT(WINAPI*)(UINT, IWICImagingFactory**);
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto create_factory = reinterpret_cast<CreateFactory>(
        reinterpret_cast<void*>(GetProcAddress(codecs, "WICCreateImagingFactory_Proxy")));
    auto get_class_object = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(codecs, "DllGetClassObject")));
    if (!create_factory || !get_class_object) return false;
    if (FAILED(create_factory(WINCODEC_SDK_VERSION, factory.out()))) return false;
    ComRef<IClassFactory> jpeg_class;
    if (FAILED(get_class_object(CLSID_WICJpegDecoder, IID_IClassFactory,
                                reinterpret_cast<void**>(jpeg_class.out()))))
        return false;
    return SUCCEEDED(jpeg_class->CreateInstance(nullptr, IID_IWICBitmapDecoder,
                                                reinterpret_cast<void**>(decoder.out())));
}

// The same through COM, the way every Windows program may take. COM's library is loaded
// here, not imported: loading it, and what it needs, at every start of the menu would
// delay the first frame for a way that is seldom taken.
void open_through_com(ComRef<IWICImagingFactory>& factory) {
    HMODULE ole = LoadLibraryW(L"ole32.dll");
    if (!ole) check(E_FAIL);
    using Initialize = HRESULT(WINAPI*)(void*, DWORD);
    using CreateInstance = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
    auto initialize = reinterpret_cast<Initialize>(
        reinterpret_cast<void*>(GetProcAddress(ole, "CoInitializeEx")));
    auto create_instance = reinterpret_cast<CreateInstance>(
        reinterpret_cast<void*>(GetProcAddress(ole, "CoCreateInstance")));
    if (!initialize || !create_instance) check(E_FAIL);
    initialize(nullptr, COINIT_APARTMENTTHREADED);
    check(create_instance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                          IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out())));
}

}  // namespace

Bitmap decode_jpeg(std::span<const std::uint8_t> bytes) {
    ComRef<IWICImagingFactory> direct_factory;
    ComRef<IWICBitmapDecoder> direct_decoder;
    ComRef<IWICImagingFactory> com_factory;
    const bool direct = open_directly(direct_factory, direct_decoder);
    if (!direct) open_through_com(com_factory);
    IWICImagingFactory* factory = direct ? direct_factory.get() : com_factory.get();

    ComRef<IWICStream> stream;
    check(factory->CreateStream(stream.out()));
    // WIC only reads the bytes; its signature is not const-correct.
    check(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size())));
    ComRef<IWICBitmapDecoder> found_decoder;
    IWICBitmapDecoder* decoder = direct_decoder.get();
    if (direct) {
        check(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand));
    } else {
        check(factory->CreateDecoderFromStream(
            stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, found_decoder.out()));
        decoder = found_decoder.get();
    }
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

void register_jpeg(PictureFormats& formats) {
    formats.register_format(kJpegPictureClass, {"jpeg", "jpg"}, decode_jpeg);
}

}  // namespace toolkit::win32
