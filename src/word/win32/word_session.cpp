#include "word/win32/word_session.h"

#include <oleauto.h>

#include <vector>

namespace qc::word {
namespace {

// Takes what EXCEPINFO holds and frees its strings.
std::string TakeExceptionText(EXCEPINFO& e) {
  if (e.pfnDeferredFillIn) e.pfnDeferredFillIn(&e);
  std::string text = BstrToAnsi(e.bstrDescription);
  SysFreeString(e.bstrSource);
  SysFreeString(e.bstrDescription);
  SysFreeString(e.bstrHelpFile);
  e = EXCEPINFO{};
  return text;
}

std::string FailureText(const std::string& command, HRESULT hr, const std::string& wordText) {
  if (!wordText.empty()) return "Word reported an error on " + command + ":\r\n" + wordText;
  switch (hr) {
    case DISP_E_BADPARAMCOUNT: return "Word could not carry out " + command + ": wrong number of arguments";
    case DISP_E_TYPEMISMATCH: return "Word could not carry out " + command + ": type mismatch";
    case DISP_E_PARAMNOTFOUND: return "Word could not carry out " + command + ": argument not found";
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
      return "Word could not carry out " + command + ": Word is no longer running";
    default: return "Word could not carry out " + command + " (" + HresultText(hr) + ")";
  }
}

ComPtr<IDispatch> AttachRunning(const wchar_t* progId, HRESULT& hr) {
  CLSID clsid;
  hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return {};
  ComPtr<IUnknown> unknown;
  hr = GetActiveObject(clsid, nullptr, unknown.Out());
  if (FAILED(hr)) return {};
  ComPtr<IDispatch> dispatch;
  hr = unknown->QueryInterface(IID_IDispatch, dispatch.OutVoid());
  if (FAILED(hr)) return {};
  return dispatch;
}

// The value of a property without arguments.
HRESULT GetProperty(IDispatch* object, const wchar_t* property, Variant& result) {
  std::wstring name = property;
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXCEPINFO e{};
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.Get(), &e, nullptr);
  if (hr == DISP_E_EXCEPTION) TakeExceptionText(e);
  return hr;
}

ComPtr<IDispatch> WordBasicOfApplication(IDispatch* application, HRESULT& hr) {
  Variant result;
  hr = GetProperty(application, L"WordBasic", result);
  if (FAILED(hr)) return {};
  if (V_VT(result.Get()) != VT_DISPATCH || !V_DISPATCH(result.Get())) {
    hr = DISP_E_TYPEMISMATCH;
    return {};
  }
  ComPtr<IDispatch> dispatch;
  hr = V_DISPATCH(result.Get())->QueryInterface(IID_IDispatch, dispatch.OutVoid());
  return dispatch;
}

}  // namespace

WordResult DispatchWordBasic::Call(const std::string& command, const WordArgs& args, ResultKind result) {
  // One lookup for the command and every argument name.
  std::vector<std::wstring> wideNames{AnsiToWide(command)};
  for (const WordArg& a : args)
    if (a.IsNamed()) wideNames.push_back(AnsiToWide(a.name));
  std::vector<LPOLESTR> names;
  for (std::wstring& n : wideNames) names.push_back(n.data());
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()),
                                        LOCALE_USER_DEFAULT, ids.data());
  if (FAILED(hr)) {
    if (ids[0] == DISPID_UNKNOWN) throw WordError("Word does not know the command " + command);
    for (size_t i = 1; i < ids.size(); ++i)
      if (ids[i] == DISPID_UNKNOWN)
        throw WordError("Word does not know the argument " + WideToAnsi(wideNames[i].c_str()) + " of " + command);
    throw WordError(FailureText(command, hr, {}));
  }

  // Reverse order, named arguments first. Texts held by the program go by
  // reference to BSTRs owned here; everything else by value.
  std::vector<const WordArg*> order;
  std::vector<DISPID> namedIds;
  for (size_t i = args.size(), nameIndex = ids.size(); i-- > 0;) {
    if (!args[i].IsNamed()) continue;
    order.push_back(&args[i]);
    namedIds.push_back(ids[--nameIndex]);
  }
  for (size_t i = args.size(); i-- > 0;)
    if (!args[i].IsNamed()) order.push_back(&args[i]);

  std::vector<VARIANTARG> values(order.size());
  std::vector<BSTR> held(order.size(), nullptr);
  for (size_t i = 0; i < order.size(); ++i) {
    VARIANTARG& v = values[i];
    VariantInit(&v);
    const WordArg& a = *order[i];
    if (!a.IsText()) {
      V_VT(&v) = VT_I4;
      V_I4(&v) = a.Integer();
    } else if (a.byRef) {
      held[i] = Bstr(a.Text()).Release();
      V_VT(&v) = VT_BSTR | VT_BYREF;
      V_BSTRREF(&v) = &held[i];
    } else {
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = Bstr(a.Text()).Release();
    }
  }

  DISPPARAMS params{values.data(), namedIds.data(), static_cast<UINT>(values.size()),
                    static_cast<UINT>(namedIds.size())};
  WORD flags = DISPATCH_METHOD;
  if (result != ResultKind::None && args.empty()) flags |= DISPATCH_PROPERTYGET;
  Variant returned;
  EXCEPINFO excep{};
  UINT argError = 0;
  hr = dispatch_->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &params, returned.Get(), &excep, &argError);
  std::string wordText = hr == DISP_E_EXCEPTION ? TakeExceptionText(excep) : std::string();
  for (VARIANTARG& v : values) VariantClear(&v);
  for (BSTR b : held) SysFreeString(b);
  if (FAILED(hr)) throw WordError(FailureText(command, hr, wordText));

  switch (result) {
    case ResultKind::None: return {};
    case ResultKind::Integer: {
      Variant number;
      if (FAILED(VariantChangeType(number.Get(), returned.Get(), 0, VT_I4)))
        throw WordError("Word gave no number for " + command);
      return static_cast<int32_t>(V_I4(number.Get()));
    }
    case ResultKind::Text: {
      Variant text;
      if (FAILED(VariantChangeType(text.Get(), returned.Get(), 0, VT_BSTR)))
        throw WordError("Word gave no text for " + command);
      return BstrToAnsi(V_BSTR(text.Get()));
    }
  }
  return {};
}

std::unique_ptr<WordBasic> ConnectWord(WordGeneration generation) {
  HRESULT hr = E_FAIL;
  ComPtr<IDispatch> dispatch;
  if (generation == WordGeneration::Word7) {
    CLSID clsid;
    hr = CLSIDFromProgID(L"Word.Basic", &clsid);
    if (SUCCEEDED(hr))
      hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            dispatch.OutVoid());
  } else if (generation == WordGeneration::Word8) {
    dispatch = AttachRunning(L"Word.Basic", hr);
    if (!dispatch) {
      // Later Words offer the same object as the application's WordBasic property.
      HRESULT basicHr = hr;
      ComPtr<IDispatch> application = AttachRunning(L"Word.Application", hr);
      if (application) dispatch = WordBasicOfApplication(application.Get(), hr);
      if (!dispatch && !application) hr = basicHr;
    }
  }
  if (FAILED(hr) || !dispatch) throw WordError("Word's automation object could not be reached (" + HresultText(hr) + ")");
  auto session = std::make_unique<DispatchWordBasic>(std::move(dispatch));
  // Word's AppShow shows a hidden Word but leaves a minimised one as it is;
  // what an action does in Word is to be seen, so a minimised Word is
  // restored first. Should Word refuse, the action goes on as before.
  HWND window = FindWindowA(kWordWindowClass, nullptr);
  if (window && IsIconic(window)) {
    try {
      session->Send("AppRestore");
    } catch (const WordError&) {
    }
  }
  return session;
}

std::string RunningApplicationVersion() {
  HRESULT hr = E_FAIL;
  ComPtr<IDispatch> application = AttachRunning(L"Word.Application", hr);
  if (!application) return {};
  Variant version, text;
  if (FAILED(GetProperty(application.Get(), L"Version", version)) ||
      FAILED(VariantChangeType(text.Get(), version.Get(), 0, VT_BSTR)))
    return {};
  return BstrToAnsi(V_BSTR(text.Get()));
}

}  // namespace qc::word
