#include "toolkit/win32/accessible_client.h"

// After windows.h, which it needs.
#include <oleacc.h>

#include <atomic>
#include <cstring>
#include <new>
#include <string>

#include "toolkit/win32/wide_text.h"

namespace toolkit::win32 {

struct AccessibleLink {
    HWND window = nullptr;
    // Null once the window is gone.
    FormAccessibility* model = nullptr;
    // An error from a handler is shown by the application, as for a click.
    Application* app = nullptr;
};

namespace {

// The interface identities are defined here: taken from mingw-w64's import libraries, the
// address of IID_IAccessible may be that of an import thunk instead of the GUID.
constexpr GUID kIidUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIidDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIidAccessible{
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// What the accessibility libraries give, loaded at the first request from a client. Importing
// them would load them, and COM with them, at every start of the menu. The two coordinate
// conversions only clients need come from user32 in the same way, so that the program's
// imports stay those of a start without a screen reader.
struct LateFunctions {
    using LresultFromObjectFunction = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    using AccessibleObjectFromWindowFunction = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    using SysAllocStringFunction = BSTR(WINAPI*)(const OLECHAR*);
    using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
    using ConvertPointFunction = BOOL(WINAPI*)(HWND, POINT*);

    LresultFromObjectFunction lresult_from_object = nullptr;
    AccessibleObjectFromWindowFunction accessible_object_from_window = nullptr;
    SysAllocStringFunction sys_alloc_string = nullptr;
    ConvertPointFunction client_to_screen = nullptr;
    ConvertPointFunction screen_to_client = nullptr;
};

template <typename Function>
Function entry(HMODULE module, const char* name) {
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

LateFunctions load_late_functions() {
    LateFunctions f;
    HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    HMODULE oleaut = LoadLibraryW(L"oleaut32.dll");
    // Marshalling the object to a client in another process needs COM on this thread;
    // oleacc has brought ole32 in.
    if (auto initialize = entry<LateFunctions::CoInitializeExFunction>(LoadLibraryW(L"ole32.dll"),
                                                                       "CoInitializeEx"))
        initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    f.lresult_from_object =
        entry<LateFunctions::LresultFromObjectFunction>(oleacc, "LresultFromObject");
    f.accessible_object_from_window = entry<LateFunctions::AccessibleObjectFromWindowFunction>(
        oleacc, "AccessibleObjectFromWindow");
    f.sys_alloc_string = entry<LateFunctions::SysAllocStringFunction>(oleaut, "SysAllocString");
    HMODULE user = GetModuleHandleW(L"user32.dll");
    f.client_to_screen = entry<LateFunctions::ConvertPointFunction>(user, "ClientToScreen");
    f.screen_to_client = entry<LateFunctions::ConvertPointFunction>(user, "ScreenToClient");
    return f;
}

const LateFunctions& late_functions() {
    static const LateFunctions functions = load_late_functions();
    return functions;
}

LONG role_of(AccessibleRole role) {
    return role == AccessibleRole::PushButton ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_CLIENT;
}

LONG states_of(unsigned states) {
    LONG s = 0;
    if (states & kAccessibleFocusable) s |= STATE_SYSTEM_FOCUSABLE;
    if (states & kAccessibleFocused) s |= STATE_SYSTEM_FOCUSED;
    if (states & kAccessiblePressed) s |= STATE_SYSTEM_PRESSED;
    if (states & kAccessibleHotTracked) s |= STATE_SYSTEM_HOTTRACKED;
    return s;
}

// VariantInit's work, without importing oleaut32 for it.
void clear(VARIANT* v) {
    std::memset(v, 0, sizeof *v);  // VT_EMPTY
}

void set_child(VARIANT* v, int child) {
    clear(v);
    v->vt = VT_I4;
    v->lVal = child;
}

// A string for a client; S_FALSE and null for an empty one.
HRESULT give_string(std::string_view text, BSTR* out) {
    if (text.empty()) return S_FALSE;
    const auto allocate = late_functions().sys_alloc_string;
    if (!allocate) return E_OUTOFMEMORY;
    try {
        *out = allocate(widen(text, CP_UTF8).c_str());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The client area and its buttons; the buttons are simple elements addressed by child id.
class ClientObject final : public IAccessible {
  public:
    explicit ClientObject(std::shared_ptr<AccessibleLink> link) : link_(std::move(link)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == kIidUnknown || iid == kIidDispatch || iid == kIidAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // Clients call through the interface; late binding is not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!link_->model) return CO_E_OBJNOTCONNECTED;
        // The window's own object, which the system makes.
        const auto from_window = late_functions().accessible_object_from_window;
        if (!from_window) return S_FALSE;
        const HRESULT hr = from_window(link_->window, static_cast<DWORD>(OBJID_WINDOW),
                                       kIidDispatch, reinterpret_cast<void**>(parent));
        return SUCCEEDED(hr) && *parent ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        if (!link_->model) return CO_E_OBJNOTCONNECTED;
        *count = link_->model->child_count();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::optional<AccessibleNode> node;
        if (const HRESULT hr = find(child, node); hr != S_OK) return hr;
        // A button is no object of its own: the client answers for it by child id.
        return child.lVal == CHILDID_SELF ? E_INVALIDARG : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        std::optional<AccessibleNode> node;
        if (const HRESULT hr = find(child, node); hr != S_OK) return hr;
        return give_string(node->name, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return no_string(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return no_string(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return give_number(child, role, [](const AccessibleNode& n) { return role_of(n.role); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return give_number(child, state,
                           [](const AccessibleNode& n) { return states_of(n.states); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return no_string(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (!file || !topic) return E_POINTER;
        *topic = 0;
        return no_string(child, file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return no_string(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        clear(focus);
        if (!link_->model) return CO_E_OBJNOTCONNECTED;
        const std::optional<int> child = link_->model->focus();
        if (!child) return S_FALSE;
        set_child(focus, *child);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        clear(selection);
        return link_->model ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        std::optional<AccessibleNode> node;
        if (const HRESULT hr = find(child, node); hr != S_OK) return hr;
        return give_string(node->default_action, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        std::optional<AccessibleNode> node;
        if (const HRESULT hr = find(child, node); hr != S_OK) return hr;
        if (flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;
        return act([&] { return link_->model->take_focus(child.lVal); }) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        std::optional<AccessibleNode> node;
        if (const HRESULT hr = find(child, node); hr != S_OK) return hr;
        POINT origin{0, 0};
        const auto client_to_screen = late_functions().client_to_screen;
        if (!client_to_screen || !client_to_screen(link_->window, &origin)) return E_FAIL;
        *left = origin.x + node->bounds.left;
        *top = origin.y + node->bounds.top;
        *width = node->bounds.width();
        *height = node->bounds.height();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        clear(end);
        std::optional<AccessibleNode> node;
        if (const HRESULT hr = find(start, node); hr != S_OK) return hr;
        AccessibleDirection d;
        switch (direction) {
            case NAVDIR_FIRSTCHILD:
                d = AccessibleDirection::FirstChild;
                break;
            case NAVDIR_LASTCHILD:
                d = AccessibleDirection::LastChild;
                break;
            // The arrows move the focus as Tab does, so every direction follows the tab order.
            case NAVDIR_NEXT:
            case NAVDIR_DOWN:
            case NAVDIR_RIGHT:
                d = AccessibleDirection::Next;
                break;
            case NAVDIR_PREVIOUS:
            case NAVDIR_UP:
            case NAVDIR_LEFT:
                d = AccessibleDirection::Previous;
                break;
            default:
                return E_INVALIDARG;
        }
        const std::optional<int> to = link_->model->navigate(start.lVal, d);
        if (!to) return S_FALSE;
        set_child(end, *to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (!hit) return E_POINTER;
        clear(hit);
        if (!link_->model) return CO_E_OBJNOTCONNECTED;
        POINT p{x, y};
        const auto screen_to_client = late_functions().screen_to_client;
        if (!screen_to_client || !screen_to_client(link_->window, &p)) return E_FAIL;
        const std::optional<int> child = link_->model->child_at({p.x, p.y});
        if (!child) return S_FALSE;
        set_child(hit, *child);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        std::optional<AccessibleNode> node;
        if (const HRESULT hr = find(child, node); hr != S_OK) return hr;
        return act([&] { return link_->model->do_default_action(child.lVal); })
                   ? S_OK
                   : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    ~ClientObject() = default;

    // The node a child id names: S_OK with it, or why there is none.
    // Answers a number read off the node `child` names, as a VT_I4 VARIANT.
    template <typename Read>
    HRESULT give_number(const VARIANT& child, VARIANT* out, Read read) const {
        if (!out) return E_POINTER;
        clear(out);
        std::optional<AccessibleNode> node;
        if (const HRESULT hr = find(child, node); hr != S_OK) return hr;
        set_child(out, read(*node));
        return S_OK;
    }
    HRESULT find(const VARIANT& child, std::optional<AccessibleNode>& node) const {
        if (!link_->model) return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4) return E_INVALIDARG;
        node = link_->model->node(child.lVal);
        return node ? S_OK : E_INVALIDARG;
    }
    // Calls into the form as every window event does; true where `work` was done.
    template <typename Work>
    bool act(Work work) const {
        bool done = false;
        dispatch_guarded(*link_->app, [&] { done = work(); });
        return done;
    }
    // For what no part of the menu has: S_FALSE and a null string.
    HRESULT no_string(const VARIANT& child, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        std::optional<AccessibleNode> node;
        const HRESULT hr = find(child, node);
        return hr == S_OK ? S_FALSE : hr;
    }

    std::atomic<ULONG> references_{1};
    std::shared_ptr<AccessibleLink> link_;
};

}  // namespace

ClientAccessibility::ClientAccessibility(Application& app, Form& form, HWND window)
    : window_(window),
      model_(form, this),
      link_(std::make_shared<AccessibleLink>(AccessibleLink{window, &model_, &app})) {}

ClientAccessibility::~ClientAccessibility() {
    link_->model = nullptr;
    link_->window = nullptr;
}

std::optional<LRESULT> ClientAccessibility::get_object(WPARAM wparam, LPARAM lparam) {
    if (static_cast<DWORD>(lparam) != static_cast<DWORD>(OBJID_CLIENT)) return std::nullopt;
    const auto lresult_from_object = late_functions().lresult_from_object;
    if (!lresult_from_object) return std::nullopt;
    auto* object = new (std::nothrow) ClientObject(link_);
    if (!object) return std::nullopt;
    // The result holds a reference of its own until the client takes the object.
    const LRESULT result = lresult_from_object(kIidAccessible, wparam, object);
    object->Release();
    return result;
}

void ClientAccessibility::focus_moved(int child) {
    // Told where the form moves the focus, the first activation included. Telling it again
    // as the window takes the keyboard focus made Wine lose a key pressed just after.
    NotifyWinEvent(EVENT_OBJECT_FOCUS, window_, OBJID_CLIENT, child);
}

void ClientAccessibility::state_changed(int child) {
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window_, OBJID_CLIENT, child);
}

}  // namespace toolkit::win32
