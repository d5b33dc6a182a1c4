#include "shell/accessibility.h"

#include "render/button_style.h"
#include "shell/app_state.h"
#include "shell/ids.h"
#include "shell/layout.h"

#include <oleacc.h>

#include <atomic>
#include <iterator>
#include <new>

namespace corvanta {
namespace {

std::atomic<long> g_liveWrappers{0};

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT giveString(const wchar_t* text, BSTR* out) {
    if (out == nullptr) {
        return E_INVALIDARG;
    }
    *out = SysAllocString(text);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// IAccessible's type information, from the type library inside oleacc.dll. The standard
// object's own IDispatch would answer for the standard object (and is a stub under Wine).
// By its full path: a bare name is searched for, the program's folder first.
HRESULT accessibleTypeInfo(ITypeInfo** info) noexcept {
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH - 12);
    if (length == 0 || length >= MAX_PATH - 12) {
        return E_FAIL;
    }
    lstrcatW(path, L"\\oleacc.dll");
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &library);
    if (FAILED(hr)) {
        return hr;
    }
    hr = library->GetTypeInfoOfGuid(kIidAccessible, info);
    library->Release();
    return hr;
}

// The standard object of a control with the name, role, state and description it cannot know:
// the painted captions, that an owner-drawn button is a push button, which button shows the open
// screen, and the login card's message. Everything else is the standard object's answer.
// It keeps only the handle and reads the shell state when asked, so a holder that outlives the
// control gets answers from the standard object about a dead window, never a dangling pointer.
class ControlAccessible final : public IAccessible, public IOleWindow {
  public:
    ControlAccessible(HWND control, int id, IAccessible* standard) noexcept
        : control_(control), id_(id), standard_(standard) {
        accessibleTraits(id, traits_);
        ++g_liveWrappers;
    }
    ControlAccessible(const ControlAccessible&) = delete;
    ControlAccessible& operator=(const ControlAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, kIidAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (IsEqualIID(iid, IID_IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch, from IAccessible's type information invoked on this object: a client going
    // through IDispatch hears the same as one calling directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        if (count == nullptr) {
            return E_INVALIDARG;
        }
        ITypeInfo* info = nullptr;
        *count = SUCCEEDED(accessibleTypeInfo(&info)) ? 1 : 0;
        if (info != nullptr) {
            info->Release();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override {
        if (info == nullptr) {
            return E_INVALIDARG;
        }
        *info = nullptr;
        return index != 0 ? DISP_E_BADINDEX : accessibleTypeInfo(info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) noexcept override {
        if (!IsEqualIID(iid, IID_NULL)) {
            return DISP_E_UNKNOWNINTERFACE;
        }
        ITypeInfo* info = nullptr;
        HRESULT hr = accessibleTypeInfo(&info);
        if (SUCCEEDED(hr)) {
            hr = DispGetIDsOfNames(info, names, count, ids);
            info->Release();
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* error,
                                     UINT* badArgument) noexcept override {
        if (!IsEqualIID(iid, IID_NULL)) {
            return DISP_E_UNKNOWNINTERFACE;
        }
        ITypeInfo* info = nullptr;
        HRESULT hr = accessibleTypeInfo(&info);
        if (SUCCEEDED(hr)) {
            hr = info->Invoke(static_cast<IAccessible*>(this), member, flags, params, result, error,
                              badArgument);
            info->Release();
        }
        return hr;
    }

    // IAccessible: the four answers this wrapper exists for, and the secret value.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) noexcept override {
        if (!isSelf(child) || traits_.name == nullptr) {
            return standard_->get_accName(child, name);
        }
        return giveString(traits_.name, name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) noexcept override {
        if (!isSelf(child) || traits_.name == nullptr) {
            return standard_->get_accRole(child, role);
        }
        if (role == nullptr) {
            return E_INVALIDARG;
        }
        role->vt = VT_I4;
        role->lVal = traits_.pushButton ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_TEXT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) noexcept override {
        // Invisible, unavailable and focus come from the standard object.
        const HRESULT hr = standard_->get_accState(child, state);
        if (FAILED(hr) || !isSelf(child) || traits_.name == nullptr || state->vt != VT_I4) {
            return hr;
        }
        LONG bits = state->lVal;
        if (traits_.pushButton) {
            // Pressed tells which screen is open and which start is chosen, not where the
            // mouse is.
            bits &= ~STATE_SYSTEM_PRESSED;
            if (isSelectedButton(id_, g_app.screen, g_app.startScreen)) {
                bits |= STATE_SYSTEM_PRESSED;
            }
        }
        if (traits_.secret) {
            bits |= STATE_SYSTEM_PROTECTED;
        }
        if (traits_.readOnly) {
            bits |= STATE_SYSTEM_READONLY;
        }
        state->lVal = bits;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child,
                                                 BSTR* description) noexcept override {
        if (!isSelf(child) || id_ != ID_BTN_LOGIN) {
            return standard_->get_accDescription(child, description);
        }
        return giveString(g_app.loginMessage.c_str(), description);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) noexcept override {
        if (isSelf(child) && traits_.secret) {
            if (value != nullptr) {
                *value = nullptr;
            }
            return E_ACCESSDENIED;
        }
        return standard_->get_accValue(child, value);
    }

    // IAccessible: the standard object's answers.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) noexcept override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) noexcept override {
        return standard_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) noexcept override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child,
                                               LONG* topic) noexcept override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child,
                                                      BSTR* shortcut) noexcept override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) noexcept override {
        return standard_->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) noexcept override {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) noexcept override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) noexcept override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) noexcept override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start,
                                          VARIANT* end) noexcept override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) noexcept override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) noexcept override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) noexcept override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) noexcept override {
        // The standard object would set the text, read-only or not.
        if (isSelf(child) && traits_.readOnly) {
            return E_ACCESSDENIED;
        }
        return standard_->put_accValue(child, value);
    }

    // IOleWindow: lets WindowFromAccessibleObject find the control.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) noexcept override {
        if (window == nullptr) {
            return E_INVALIDARG;
        }
        *window = control_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }

  private:
    ~ControlAccessible() {
        standard_->Release();
        --g_liveWrappers;
    }

    LONG refs_ = 1;
    HWND control_;
    int id_;
    AccessibleTraits traits_;
    IAccessible* standard_;
};

// COM comes up on the GUI thread when a screen reader first asks, so a start without one loads
// none of it. Only a single-threaded apartment will do: the wrapper reads the shell state, which
// belongs to this thread, and in such an apartment every call from outside arrives here.
bool inSingleThreadedApartment() noexcept {
    static const bool ready = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    return ready;
}

// The wrapper's reference for the client, or 0 to leave the request to the control.
LRESULT answerForClient(HWND control, int id, WPARAM flags) noexcept {
    if (!inSingleThreadedApartment()) {
        return 0;
    }
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, kIidAccessible,
                                         reinterpret_cast<void**>(&standard))) ||
        standard == nullptr) {
        return 0;
    }
    auto* wrapper = new (std::nothrow) ControlAccessible(control, id, standard);
    if (wrapper == nullptr) {
        standard->Release();
        return 0;
    }
    // A new wrapper for every request: the client's reference is the only one kept.
    const LRESULT reference =
        LresultFromObject(kIidAccessible, flags, static_cast<IAccessible*>(wrapper));
    wrapper->Release();
    return reference > 0 ? reference : 0;
}

// The procedures of the two control classes, read once from the first control of each. Kept in
// the program's own memory: a window's user data can be written by any program on the desktop,
// and a procedure read back from there would call wherever it points.
struct Original {
    const wchar_t* className;
    WNDPROC proc;
};
Original g_originals[] = {{L"Button", nullptr}, {L"Edit", nullptr}};

template <std::size_t kClass>
LRESULT CALLBACK accessibleProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    const WNDPROC original = g_originals[kClass].proc;
    // The object id is a 32-bit value; on 64-bit Windows lParam may carry it sign-extended.
    if (msg == WM_GETOBJECT && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
        if (const LRESULT reference = answerForClient(control, GetDlgCtrlID(control), wParam)) {
            return reference;
        }
    } else if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    return CallWindowProcW(original, control, msg, wParam, lParam);
}

constexpr WNDPROC kAccessibleProcs[] = {accessibleProc<0>, accessibleProc<1>};

} // namespace

void makeAccessible(HWND control, int id) {
    if (control == nullptr || GetDlgCtrlID(control) != id) {
        return;
    }
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    const auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
    for (std::size_t i = 0; i < std::size(g_originals); ++i) {
        Original& original = g_originals[i];
        if (lstrcmpiW(name, original.className) != 0) {
            continue;
        }
        if (original.proc == nullptr) {
            original.proc = proc;
        }
        // Only a control that still has its class's own procedure (not one made accessible
        // already): any other would be called with the wrong one.
        if (proc == original.proc) {
            SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kAccessibleProcs[i]));
        }
        return;
    }
}

void announceSelectionChange(Screen screenBefore, Screen startBefore) {
    const auto announce = [&](int id) {
        HWND button = controlForId(id);
        if (button != nullptr && isSelectedButton(id, screenBefore, startBefore) !=
                                     isSelectedButton(id, g_app.screen, g_app.startScreen)) {
            NotifyWinEvent(EVENT_OBJECT_STATECHANGE, button, OBJID_CLIENT, CHILDID_SELF);
        }
    };
    for (int id = ID_NAV_ORBITAL; id <= ID_NAV_TREVACAST; ++id) {
        announce(id);
    }
    announce(ID_BTN_START_COMMUNITY);
    announce(ID_BTN_START_TREVACAST);
}

long liveAccessibleObjects() {
    return g_liveWrappers.load();
}

} // namespace corvanta
