#include "platform/win32/Win32Explorer.h"

#include <windows.h>
// After windows.h:
#include <oleauto.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/win32/kit/Com.h"
#include "platform/win32/ExplorerStandIn.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

using platform::ExplorerWindow;
using platform::NavigateTarget;
using platform::WindowHandle;

// The shell browser-window class; "new:" makes a fresh, invisible window.
constexpr wchar_t kShellWindowMoniker[] = L"new:{C08AFD90-F2A1-11D1-8455-00A0C91F3880}";

// A VARIANT that clears itself (and so frees a string or releases an object).
class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    static Variant Int16(std::int16_t number) {
        Variant v;
        v.value_.vt = VT_I2;
        v.value_.iVal = number;
        return v;
    }
    static Variant Int32(std::int32_t number) {
        Variant v;
        v.value_.vt = VT_I4;
        v.value_.lVal = number;
        return v;
    }
    static Variant Bool(bool flag) {
        Variant v;
        v.value_.vt = VT_BOOL;
        v.value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static Variant String(std::string_view utf8) {
        Variant v;
        const std::wstring wide = Widen(utf8);
        v.value_.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        if (v.value_.bstrVal) v.value_.vt = VT_BSTR;
        return v;
    }

    Variant(Variant&& other) noexcept {
        value_ = other.value_;
        VariantInit(&other.value_);
    }

    VARIANT* Get() { return &value_; }
    const VARIANT& Value() const { return value_; }

private:
    VARIANT value_;
};

// Frees what Invoke may have put into an exception record.
struct ExceptionRecord {
    EXCEPINFO info{};
    ~ExceptionRecord() {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
};

// Calls one member of an automation object by name. `arguments` are in the
// order a caller writes them; Invoke wants them last first.
bool Call(IDispatch* object, const wchar_t* name, WORD kind, std::vector<Variant*> arguments,
          VARIANT* result = nullptr) {
    if (!object) return false;
    DISPID member = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member))) return false;

    std::vector<VARIANT> reversed;
    reversed.reserve(arguments.size());
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back((*it)->Value());

    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{};
    parameters.rgvarg = reversed.empty() ? nullptr : reversed.data();
    parameters.cArgs = static_cast<UINT>(reversed.size());
    if (kind == DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }
    ExceptionRecord exception;
    UINT badArgument = 0;
    const HRESULT hr =
        object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result, &exception.info, &badArgument);
    return SUCCEEDED(hr);
}

ComPtr<IDispatch> GetObjectProperty(IDispatch* object, const wchar_t* name) {
    Variant value;
    if (!Call(object, name, DISPATCH_PROPERTYGET, {}, value.Get())) return nullptr;
    if (value.Value().vt != VT_DISPATCH) return nullptr;
    return ComPtr<IDispatch>(value.Value().pdispVal);
}

std::optional<std::string> GetStringProperty(IDispatch* object, const wchar_t* name) {
    Variant value;
    if (!Call(object, name, DISPATCH_PROPERTYGET, {}, value.Get())) return std::nullopt;
    if (value.Value().vt != VT_BSTR) return std::nullopt;
    const BSTR text = value.Value().bstrVal;
    return Narrow(std::wstring_view(text ? text : L"", SysStringLen(text)));
}

// The shell's Explorer window object. It lives in the shell's process; every
// call goes there and back, and any of them can fail on its own.
class AutomationExplorer final : public ExplorerWindow {
public:
    explicit AutomationExplorer(ComPtr<IDispatch> browser) : browser_(std::move(browser)) {}

    bool Navigate2(const NavigateTarget& target) override {
        Variant location = std::holds_alternative<std::int16_t>(target)
                               ? Variant::Int16(std::get<std::int16_t>(target))
                               : Variant::String(std::get<std::string>(target));
        if (location.Value().vt == VT_EMPTY) return false;
        return Call(browser_.Get(), L"Navigate2", DISPATCH_METHOD, {&location});
    }

    bool ShowBrowserBar(std::string_view classId, bool show) override {
        Variant bar = Variant::String(classId);
        Variant flag = Variant::Bool(show);
        return Call(browser_.Get(), L"ShowBrowserBar", DISPATCH_METHOD, {&bar, &flag});
    }

    std::optional<WindowHandle> Hwnd() override {
        Variant value;
        if (!Call(browser_.Get(), L"HWND", DISPATCH_PROPERTYGET, {}, value.Get())) return std::nullopt;
        // Handles are 32-bit values sent as a 32- or 64-bit integer depending on the
        // shell's build; a VT_I4 must not be sign-extended.
        if (value.Value().vt == VT_I4) return static_cast<std::uint32_t>(value.Value().lVal);
        if (FAILED(VariantChangeType(value.Get(), value.Get(), 0, VT_I8))) return std::nullopt;
        return static_cast<WindowHandle>(value.Value().llVal);
    }

    bool SetCurrentViewMode(std::int32_t mode) override {
        const ComPtr<IDispatch> document = GetObjectProperty(browser_.Get(), L"Document");
        Variant value = Variant::Int32(mode);
        return Call(document.Get(), L"CurrentViewMode", DISPATCH_PROPERTYPUT, {&value});
    }

    std::optional<std::string> FolderName() override { return FolderSelfString(L"Name"); }
    std::optional<std::string> FolderPath() override { return FolderSelfString(L"Path"); }

    bool SetVisible(bool visible) override {
        Variant value = Variant::Bool(visible);
        return Call(browser_.Get(), L"Visible", DISPATCH_PROPERTYPUT, {&value});
    }

    bool Quit() override { return Call(browser_.Get(), L"Quit", DISPATCH_METHOD, {}); }

private:
    // Document.Folder.Self.<name>: each step can be missing (a window that shows
    // no folder, or one the user already closed).
    std::optional<std::string> FolderSelfString(const wchar_t* name) {
        const ComPtr<IDispatch> document = GetObjectProperty(browser_.Get(), L"Document");
        const ComPtr<IDispatch> folder = GetObjectProperty(document.Get(), L"Folder");
        const ComPtr<IDispatch> self = GetObjectProperty(folder.Get(), L"Self");
        return GetStringProperty(self.Get(), name);
    }

    // Declared first so that it is left last, after the object is released.
    OleApartment apartment_;
    ComPtr<IDispatch> browser_;
};

// What binding the moniker says when the system has no such class at all:
// nothing is registered under it, or (a system whose moniker parser does not
// know "new:") the name reaches nothing. Wine also says the first when the
// registered server program cannot be started.
bool NothingRegistered(HRESULT bound) { return bound == REGDB_E_CLASSNOTREG || bound == MK_E_SYNTAX; }

// A new Explorer window object in `explorer`, or the reason there is none.
HRESULT BindShellWindow(std::unique_ptr<ExplorerWindow>& explorer) {
    const OleApartment apartment;
    if (!apartment.Joined()) return CO_E_NOTINITIALIZED;
    ComPtr<IDispatch> browser;
    const HRESULT bound = CoGetObject(kShellWindowMoniker, nullptr, IID_IDispatch, browser.PutVoid());
    if (FAILED(bound)) return bound;
    if (!browser) return E_NOINTERFACE;
    explorer = std::make_unique<AutomationExplorer>(std::move(browser));
    return S_OK;
}

}  // namespace

std::unique_ptr<ExplorerWindow> Win32ExplorerFactory::Create() {
    std::unique_ptr<ExplorerWindow> explorer;
    const HRESULT bound = BindShellWindow(explorer);
    if (explorer) return explorer;
    // The stand-in only takes the place of an object the system does not have.
    // One it has but refuses to us (denied, its server failing) is no reason to
    // show something else instead: the capture fails and says so.
    return NothingRegistered(bound) ? CreateExplorerStandIn() : nullptr;
}

}  // namespace velmora::win32
