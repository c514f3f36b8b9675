#include "automation.h"

#include <map>
#include <utility>

#include "text_convert.h"

namespace standin {

// {856CD37C-CFE1-4BE2-B5E4-8077332E7398}
const CLSID kWordBasicClsid = {0x856cd37c, 0xcfe1, 0x4be2, {0xb5, 0xe4, 0x80, 0x77, 0x33, 0x2e, 0x73, 0x98}};
// {46C1D391-E52F-4845-956B-AB93F45C2935}
const CLSID kApplicationClsid = {0x46c1d391, 0xe52f, 0x4845, {0x95, 0x6b, 0xab, 0x93, 0xf4, 0x5c, 0x29, 0x35}};

namespace {

constexpr DISPID kFirstParamId = 1000;

std::string ClsidText(const CLSID& clsid) {
  wchar_t buf[64];
  StringFromGUID2(clsid, buf, 64);
  return ToAnsi(buf, lstrlenW(buf));
}

void SetKey(HKEY root, const std::string& path, const char* valueName, const std::string& value) {
  HKEY key;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

std::string GetKey(HKEY root, const std::string& path, const char* valueName) {
  char buf[512] = {};
  DWORD size = sizeof buf - 1;
  if (RegGetValueA(root, path.c_str(), valueName, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return {};
  return buf;
}

std::string ExePath() {
  char path[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

HRESULT Raise(EXCEPINFO* excep, const WordError& e) {
  HRESULT code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<unsigned>(e.Number()) & 0xFFFF);
  if (!excep) return code;
  *excep = EXCEPINFO{};
  excep->scode = code;
  excep->bstrSource = SysAllocString(L"WordBasic");
  excep->bstrDescription = AnsiToBstr(e.what());
  return DISP_E_EXCEPTION;
}

// IUnknown and the parts of IDispatch that every object here shares.
template <typename Interface>
class ComObject : public Interface {
 public:
  virtual ~ComObject() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == __uuidof(Interface)) {
      *ppv = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

 private:
  LONG refs_ = 1;
};

template <typename Base>
class DispatchBase : public ComObject<IDispatch> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
};

// A VARIANT argument as the command layer takes it; false for a type it cannot use.
bool ReadArg(const VARIANTARG& in, Value& out) {
  out.byRef = (V_VT(&in) & VT_BYREF) != 0;
  VARIANT v;
  VariantInit(&v);
  if (FAILED(VariantCopyInd(&v, const_cast<VARIANTARG*>(&in)))) return false;
  bool ok = true;
  switch (V_VT(&v)) {
    case VT_EMPTY: out.missing = true; break;
    case VT_ERROR: out.missing = V_ERROR(&v) == DISP_E_PARAMNOTFOUND; ok = out.missing; break;
    case VT_BSTR:
      out.isText = true;
      out.text = BstrToAnsi(V_BSTR(&v));
      break;
    case VT_I1: case VT_I2: case VT_I4: case VT_INT: case VT_UI1: case VT_UI2: case VT_UI4: case VT_UINT:
    case VT_BOOL: case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL: {
      VARIANT n;
      VariantInit(&n);
      ok = SUCCEEDED(VariantChangeType(&n, &v, 0, VT_I4));
      if (ok) out.number = V_I4(&n);
      VariantClear(&n);
      break;
    }
    default: ok = false;
  }
  VariantClear(&v);
  return ok;
}

}  // namespace

// ---------------------------------------------------------------- Word.Basic

class Automation::BasicObject final : public DispatchBase<BasicObject> {
 public:
  BasicObject(WordApp& app, std::function<void()> changed) : app_(app), changed_(std::move(changed)) {}

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    std::string name = ToAnsi(names[0], lstrlenW(names[0]));
    const CommandSpec* command = FindCommand(name);
    if (!command) return DISP_E_UNKNOWNNAME;
    ids[0] = static_cast<DISPID>(command - Commands().data()) + 1;
    calledNames_[ids[0]] = name;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
      int p = ParamIndex(*command, ToAnsi(names[i], lstrlenW(names[i])));
      if (p < 0) hr = DISP_E_UNKNOWNNAME;
      else ids[i] = kFirstParamId + p;
    }
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* excep, UINT* argErr) override {
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    if (id < 1 || id > static_cast<DISPID>(Commands().size())) return DISP_E_MEMBERNOTFOUND;
    const CommandSpec& command = Commands()[static_cast<size_t>(id - 1)];
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params) params = &none;

    // Back into the caller's order: the positional arguments stand at the
    // end of the array, the named ones at its start, each group reversed.
    std::vector<ReceivedArg> args;
    for (UINT k = params->cArgs; k-- > params->cNamedArgs;) {
      ReceivedArg a;
      if (!ReadArg(params->rgvarg[k], a.value)) {
        if (argErr) *argErr = k;
        return DISP_E_TYPEMISMATCH;
      }
      args.push_back(std::move(a));
    }
    for (UINT k = params->cNamedArgs; k-- > 0;) {
      DISPID p = params->rgdispidNamedArgs[k] - kFirstParamId;
      if (p < 0 || p >= static_cast<DISPID>(command.params.size())) {
        if (argErr) *argErr = k;
        return DISP_E_PARAMNOTFOUND;
      }
      ReceivedArg a;
      a.name = command.params[static_cast<size_t>(p)].name;
      if (!ReadArg(params->rgvarg[k], a.value)) {
        if (argErr) *argErr = k;
        return DISP_E_TYPEMISMATCH;
      }
      args.push_back(std::move(a));
    }

    auto called = calledNames_.find(id);
    Result r;
    HRESULT hr = S_OK;
    try {
      r = app_.Execute(command, called != calledNames_.end() ? called->second : command.name, args);
    } catch (const WordError& e) {
      hr = Raise(excep, e);
    }
    if (changed_) changed_();
    if (FAILED(hr)) return hr;
    if (result) {
      VariantInit(result);
      if (r.kind == ResultType::Number) {
        V_VT(result) = VT_I4;
        V_I4(result) = r.number;
      } else if (r.kind == ResultType::Text) {
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = AnsiToBstr(r.text);
      }
    }
    return S_OK;
  }

 private:
  WordApp& app_;
  std::function<void()> changed_;
  std::map<DISPID, std::string> calledNames_;
};

// ---------------------------------------------------------------- Word.Application

class Automation::ApplicationObject final : public DispatchBase<ApplicationObject> {
 public:
  ApplicationObject(IDispatch* basic, const char* version) : basic_(basic), version_(version) {}

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    static const wchar_t* const members[] = {L"WordBasic", L"Name", L"Version"};
    for (DISPID i = 0; i < 3; ++i)
      if (lstrcmpiW(names[0], members[i]) == 0) ids[0] = i + 1;
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (params && params->cArgs) return DISP_E_BADPARAMCOUNT;
    if (!result) return S_OK;
    VariantInit(result);
    switch (id) {
      case 1:
        basic_->AddRef();
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = basic_;
        return S_OK;
      case 2:
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = AnsiToBstr("Word Stand-in");
        return S_OK;
      case 3:
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = AnsiToBstr(version_);
        return S_OK;
      default: return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  IDispatch* basic_;
  const char* version_;
};

// ---------------------------------------------------------------- class factory

class Automation::Factory final : public ComObject<IClassFactory> {
 public:
  explicit Factory(IDispatch* basic) : basic_(basic) {}
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    // Every client gets the one running Word's object.
    return basic_->QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  IDispatch* basic_;
};

// ---------------------------------------------------------------- Automation

Automation::Automation(WordApp& app, const Flavour& flavour, std::function<void()> changed)
    : basic_(new BasicObject(app, std::move(changed))),
      application_(new ApplicationObject(basic_, flavour.version)),
      factory_(new Factory(basic_)),
      flavour_(flavour) {}

Automation::~Automation() {
  Revoke();
  factory_->Release();
  application_->Release();
  basic_->Release();
}

// ---------------------------------------------------------------- registration
//
// The classes are registered for the current user, under
// HKEY_CURRENT_USER\Software\Classes, which Windows merges into
// HKEY_CLASSES_ROOT. Where that view does not show them (Wine reads classes
// from the machine's part only), they are written through HKEY_CLASSES_ROOT too.
// Each registration names its owner: the process that made it, which takes
// it away when it ends, or "installed" (by /RegServer), which stays.

namespace {

constexpr char kInstalled[] = "installed";

const char* ProgIdOf(const Flavour& f) { return f.applicationOnly ? "Word.Application" : "Word.Basic"; }
std::string ClsidOf(const Flavour& f) { return ClsidText(f.applicationOnly ? kApplicationClsid : kWordBasicClsid); }

void WriteClasses(const Flavour& flavour, const std::string& owner) {
  const char* progId = ProgIdOf(flavour);
  const std::string id = ClsidOf(flavour);
  auto registerUnder = [&](HKEY root, const std::string& classes) {
    SetKey(root, classes + progId, nullptr, std::string(progId) + " (stand-in)");
    SetKey(root, classes + progId + "\\CLSID", nullptr, id);
    SetKey(root, classes + progId, "StandinProcess", owner);
    SetKey(root, classes + "CLSID\\" + id, nullptr, std::string(progId) + " (stand-in)");
    SetKey(root, classes + "CLSID\\" + id + "\\ProgID", nullptr, progId);
    if (!flavour.applicationOnly && flavour.localServer)
      SetKey(root, classes + "CLSID\\" + id + "\\LocalServer32", nullptr, "\"" + ExePath() + "\"");
  };
  registerUnder(HKEY_CURRENT_USER, "Software\\Classes\\");
  if (GetKey(HKEY_CLASSES_ROOT, progId, "StandinProcess") != owner) registerUnder(HKEY_CLASSES_ROOT, "");
}

// Deletes the registration where `owner` made it; any owner's when empty.
void DeleteClasses(const Flavour& flavour, const std::string& owner) {
  const char* progId = ProgIdOf(flavour);
  const std::string id = ClsidOf(flavour);
  auto unregisterUnder = [&](HKEY root, const std::string& classes) {
    std::string found = GetKey(root, classes + progId, "StandinProcess");
    if (found.empty() || (!owner.empty() && found != owner)) return;
    RegDeleteTreeA(root, (classes + progId).c_str());
    RegDeleteTreeA(root, (classes + "CLSID\\" + id).c_str());
  };
  unregisterUnder(HKEY_CURRENT_USER, "Software\\Classes\\");
  unregisterUnder(HKEY_CLASSES_ROOT, "");
}

}  // namespace

void Automation::Install(const Flavour& flavour) { WriteClasses(flavour, kInstalled); }
void Automation::Uninstall(const Flavour& flavour) { DeleteClasses(flavour, ""); }

void Automation::Register() {
  if (GetKey(HKEY_CLASSES_ROOT, ProgIdOf(flavour_), "StandinProcess") != kInstalled) {
    owner_ = std::to_string(GetCurrentProcessId());
    WriteClasses(flavour_, owner_);
  }
  if (flavour_.applicationOnly) {
    RegisterActiveObject(application_, kApplicationClsid, ACTIVEOBJECT_STRONG, &rotCookie_);
  } else {
    if (flavour_.runningObject) RegisterActiveObject(basic_, kWordBasicClsid, ACTIVEOBJECT_STRONG, &rotCookie_);
    if (flavour_.localServer)
      CoRegisterClassObject(kWordBasicClsid, factory_, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &classCookie_);
  }
}

void Automation::Revoke() {
  if (rotCookie_) RevokeActiveObject(std::exchange(rotCookie_, 0), nullptr);
  if (classCookie_) CoRevokeClassObject(std::exchange(classCookie_, 0));
  CoDisconnectObject(basic_, 0);
  CoDisconnectObject(application_, 0);
  // A registration this process made goes with it, so that a machine's own
  // Word is not left pointing here.
  if (!owner_.empty()) DeleteClasses(flavour_, std::exchange(owner_, std::string()));
}

}  // namespace standin
