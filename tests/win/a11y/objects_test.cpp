// The accessible objects inside the program's own process: every reference handed out comes
// back, and an object kept after its control died still answers.
#include "shell/accessibility.h"
#include "shell/app_state.h"
#include "support/main_window.h"

#include <oleacc.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

using namespace corvanta;
using cvtest::MainWindow;

namespace {

VARIANT self() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

std::wstring take(BSTR text) {
    std::wstring out = text != nullptr ? text : L"";
    SysFreeString(text);
    return out;
}

IAccessible* objectOf(HWND control) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                          reinterpret_cast<void**>(&object)))) {
        return nullptr;
    }
    return object;
}

class ComApartment {
  public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (ok_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ok() const { return ok_; }

  private:
    bool ok_;
};

} // namespace

TEST(AccessibleObjects, EveryReferenceComesBackAndAKeptOneOutlivesItsControl) {
    ComApartment com;
    ASSERT_TRUE(com.ok());
    ASSERT_EQ(liveAccessibleObjects(), 0);
    IAccessible* kept = nullptr;
    {
        MainWindow w;
        int controls = 0;
        for (HWND c = GetWindow(w.hwnd(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            // Again and again, as a screen reader asks while it reads the window.
            for (int i = 0; i < 10; ++i) {
                IAccessible* object = objectOf(c);
                ASSERT_NE(object, nullptr) << GetDlgCtrlID(c);
                EXPECT_EQ(liveAccessibleObjects(), 1);
                object->Release();
            }
            ++controls;
        }
        EXPECT_EQ(controls, 29);
        EXPECT_EQ(liveAccessibleObjects(), 0);

        kept = objectOf(g_app.btnLogin);
        ASSERT_NE(kept, nullptr);
        // Through IDispatch too, the wrapper's own answers.
        DISPPARAMS params{};
        VARIANT child = self();
        params.rgvarg = &child;
        params.cArgs = 1;
        VARIANT name;
        VariantInit(&name);
        ASSERT_EQ(kept->Invoke(DISPID_ACC_NAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &name,
                               nullptr, nullptr),
                  S_OK);
        ASSERT_EQ(name.vt, VT_BSTR);
        EXPECT_EQ(take(name.bstrVal), L"Login");
    }
    // The window and its controls are gone; the object still answers what it knows by itself
    // and leaves the rest to the standard object, which knows the window is gone.
    BSTR name = nullptr;
    EXPECT_EQ(kept->get_accName(self(), &name), S_OK);
    EXPECT_EQ(take(name), L"Login");
    VARIANT state;
    VariantInit(&state);
    kept->get_accState(self(), &state);
    VariantClear(&state);
    BSTR description = nullptr;
    EXPECT_EQ(kept->get_accDescription(self(), &description), S_OK);
    EXPECT_EQ(take(description), g_app.loginMessage);
    EXPECT_EQ(liveAccessibleObjects(), 1);
    EXPECT_EQ(kept->Release(), 0u);
    EXPECT_EQ(liveAccessibleObjects(), 0);
}
