// Our own small OLE container for the Windows Media Player control: no ATL, one reference-counted site object
// with a thin part per interface, each forwarding IUnknown to the site; everything not needed answers E_NOTIMPL.
//
// What this Wine's control expects from its container (measured):
// - SetClientSite asks the site for IOleControlSite and calls GetExtendedControl (E_NOTIMPL is fine).
// - DoVerb(OLEIVERB_INPLACEACTIVATE) asks for IOleInPlaceSiteWindowless, then IOleInPlaceSiteEx and calls
//   OnInPlaceActivateEx. A site offering only IOleInPlaceSite makes the verb fail with E_NOINTERFACE, so the
//   site implements IOleInPlaceSiteEx (windowless activation is not offered). Then GetWindowContext (the
//   position rectangle becomes the control window's rectangle), IOleInPlaceSite::GetWindow (the parent of the
//   control window, class "ATL:WMP") and IOleClientSite::ShowObject.
// - Only OLEIVERB_INPLACEACTIVATE and OLEIVERB_HIDE exist; Close and SetClientSite(nullptr) destroy the window.
// - put_uiMode, put_mute, get_playState, pause and close answer E_NOTIMPL: the start settings skip what is
//   refused, and the play-state handler falls back to the value the event carries.
// - Play-state events (IID__WMPOCXEvents, DISPID 5101, argument VT_UI4) fire synchronously inside put_URL and
//   stop; the end of a medium arrives through the message loop, so the window thread must pump messages.
// - Local files play; http addresses go Transitioning then Undefined without reaching the server.
#include <initguid.h>  // defines the media player's GUIDs in this one file

#include "player/media_player_host.h"

#include <olectl.h>

#include "common/gbk_convert.h"

namespace trr {
namespace {

constexpr DISPID kPlayStateChangeDispid = 5101;

// A BSTR owned for one call.
class ScopedBstr {
 public:
  explicit ScopedBstr(const std::wstring& text) : value_(SysAllocStringLen(text.data(), text.size())) {}
  ScopedBstr() = default;
  ~ScopedBstr() { SysFreeString(value_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR get() const { return value_; }
  BSTR* Receive() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }

 private:
  BSTR value_ = nullptr;
};

}  // namespace

// ---- The site --------------------------------------------------------------------------------------------

class MediaPlayerHost::Site {
 public:
  explicit Site(HWND host)
      : host_(host), clientSite_(this), inPlaceSite_(this), controlSite_(this), frame_(this), ambient_(this) {}

  HRESULT QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(&clientSite_);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceSiteEx)
      *out = static_cast<IOleInPlaceSiteEx*>(&inPlaceSite_);
    else if (iid == IID_IOleControlSite)
      *out = static_cast<IOleControlSite*>(&controlSite_);
    else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow)
      *out = static_cast<IOleInPlaceFrame*>(&frame_);
    else if (iid == IID_IDispatch)
      *out = static_cast<IDispatch*>(&ambient_);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() { return InterlockedIncrement(&refs_); }
  ULONG Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  IOleClientSite* ClientSite() { return &clientSite_; }
  // The host goes away before the control may let go of the site.
  void Detach() { host_ = nullptr; }

 private:
  // IUnknown of every part goes to the site.
  template <typename Interface>
  class Part : public Interface {
   public:
    explicit Part(Site* site) : site_(site) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
      return site_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return site_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return site_->Release(); }

   protected:
    Site* site_;
  };

  class ClientSitePart : public Part<IOleClientSite> {
   public:
    using Part::Part;
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
      if (out) *out = nullptr;
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
      if (out) *out = nullptr;
      return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  };

  class InPlaceSitePart : public Part<IOleInPlaceSiteEx> {
   public:
    using Part::Part;
    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
      if (!window) return E_POINTER;
      *window = site_->host_;
      return site_->host_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return site_->host_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) override {
      if (frame) *frame = nullptr;
      if (document) *document = nullptr;
      if (!frame || !document || !position || !clip || !info || !site_->host_) return E_INVALIDARG;
      site_->frame_.AddRef();
      *frame = &site_->frame_;
      GetClientRect(site_->host_, position);
      *clip = *position;
      info->fMDIApp = FALSE;
      info->hwndFrame = GetAncestor(site_->host_, GA_ROOT);
      info->haccel = nullptr;
      info->cAccelEntries = 0;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleInPlaceSiteEx
    HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override {
      if (noRedraw) *noRedraw = FALSE;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_OK; }
  };

  class ControlSitePart : public Part<IOleControlSite> {
   public:
    using Part::Part;
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** out) override {
      if (out) *out = nullptr;
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }
  };

  class FramePart : public Part<IOleInPlaceFrame> {
   public:
    using Part::Part;
    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
      if (!window) return E_POINTER;
      *window = site_->host_ ? GetAncestor(site_->host_, GA_ROOT) : nullptr;
      return *window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
  };

  // Ambient properties: the control runs in user mode, without hatching or grab handles.
  class AmbientPart : public Part<IDispatch> {
   public:
    using Part::Part;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
      if (count) *count = 0;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
      if (out) *out = nullptr;
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
      if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
      VariantInit(result);
      switch (id) {
        case DISPID_AMBIENT_USERMODE:
          result->vt = VT_BOOL;
          result->boolVal = VARIANT_TRUE;
          return S_OK;
        case DISPID_AMBIENT_UIDEAD:
        case DISPID_AMBIENT_SHOWHATCHING:
        case DISPID_AMBIENT_SHOWGRABHANDLES:
        case DISPID_AMBIENT_DISPLAYASDEFAULT:
        case DISPID_AMBIENT_MESSAGEREFLECT:
          result->vt = VT_BOOL;
          result->boolVal = VARIANT_FALSE;
          return S_OK;
        case DISPID_AMBIENT_LOCALEID:
          result->vt = VT_I4;
          result->lVal = static_cast<LONG>(GetUserDefaultLCID());
          return S_OK;
        default:
          return DISP_E_MEMBERNOTFOUND;
      }
    }
  };

  ~Site() = default;

  LONG refs_ = 1;
  HWND host_;
  ClientSitePart clientSite_;
  InPlaceSitePart inPlaceSite_;
  ControlSitePart controlSite_;
  FramePart frame_;
  AmbientPart ambient_;
};

// ---- The event sink --------------------------------------------------------------------------------------

// A separate COM object (its own identity) that the control's connection point holds.
class MediaPlayerHost::EventSink final : public IDispatch {
 public:
  explicit EventSink(MediaPlayerHost* host) : host_(host) {}
  void Detach() { host_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID__WMPOCXEvents) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    if (id != kPlayStateChangeDispid || !host_) return S_OK;
    long value = 0;
    if (params && params->cArgs >= 1) {
      VARIANT converted;
      VariantInit(&converted);
      if (SUCCEEDED(VariantChangeType(&converted, &params->rgvarg[0], 0, VT_I4))) value = converted.lVal;
      VariantClear(&converted);
    }
    // The handler may run a message loop or drop the host; keep this object alive until it returns.
    AddRef();
    host_->OnPlayStateEvent(value);
    Release();
    return S_OK;
  }

 private:
  ~EventSink() = default;
  LONG refs_ = 1;
  MediaPlayerHost* host_;
};

// ---- The host --------------------------------------------------------------------------------------------

MediaPlayerHost::MediaPlayerHost() = default;

MediaPlayerHost::~MediaPlayerHost() { Destroy(); }

bool MediaPlayerHost::Create(HWND hostWindow) {
  Destroy();
  if (!IsWindow(hostWindow)) return false;
  hostWindow_ = hostWindow;
  site_ = new Site(hostWindow);

  ComPtr<IOleObject> object;
  bool ok = SUCCEEDED(CoCreateInstance(CLSID_WindowsMediaPlayer, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                       object.ReceiveVoid()));
  if (ok) ok = SUCCEEDED(object->SetClientSite(site_->ClientSite()));
  if (ok) oleObject_ = object;
  if (ok) {
    RECT client;
    GetClientRect(hostWindow, &client);
    ok = SUCCEEDED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_->ClientSite(), 0, hostWindow, &client));
  }
  if (ok) {
    player_ = object.As<IWMPPlayer4>(IID_IWMPPlayer4);
    ok = static_cast<bool>(player_);
  }
  if (!ok) {
    Destroy();
    return false;
  }

  ApplyStartSettings();

  // Without events the player still plays; only the status display would stay unchanged.
  auto container = object.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  if (container && SUCCEEDED(container->FindConnectionPoint(IID__WMPOCXEvents, eventPoint_.Receive()))) {
    sink_ = new EventSink(this);
    if (FAILED(eventPoint_->Advise(sink_, &eventCookie_))) {
      eventCookie_ = 0;
      eventPoint_.Reset();
    }
  }
  return true;
}

void MediaPlayerHost::ApplyStartSettings() {
  // Each setting stands alone: one the control refuses (E_NOTIMPL here for the ui mode) stops nothing.
  ScopedBstr none(L"none");
  player_->put_uiMode(none.get());
  player_->put_enableContextMenu(VARIANT_TRUE);
  if (ComPtr<IWMPSettings> settings = Settings()) {
    settings->put_autoStart(VARIANT_TRUE);
    settings->put_volume(50);
    settings->put_rate(1.0);
    settings->put_playCount(1);
    settings->put_enableErrorDialogs(VARIANT_FALSE);
  }
}

void MediaPlayerHost::Destroy() {
  if (eventPoint_ && eventCookie_) eventPoint_->Unadvise(eventCookie_);
  eventPoint_.Reset();
  eventCookie_ = 0;
  if (sink_) {
    sink_->Detach();
    sink_->Release();
    sink_ = nullptr;
  }
  player_.Reset();
  if (oleObject_) {
    oleObject_->Close(OLECLOSE_NOSAVE);
    oleObject_->SetClientSite(nullptr);
    oleObject_.Reset();
  }
  if (site_) {
    site_->Detach();
    site_->Release();
    site_ = nullptr;
  }
  hostWindow_ = nullptr;
  lastPlayState_ = 0;
}

bool MediaPlayerHost::SetUrl(const std::string& url) {
  if (!player_) return false;
  ScopedBstr text(GbkToWide(url));
  return SUCCEEDED(player_->put_URL(text.get()));
}

std::string MediaPlayerHost::Url() const {
  if (!player_) return {};
  ScopedBstr text;
  if (FAILED(player_->get_URL(text.Receive())) || !text.get()) return {};
  return WideToGbk(std::wstring(text.get(), SysStringLen(text.get())));
}

bool MediaPlayerHost::Stop() {
  ComPtr<IWMPControls> controls = Controls();
  return controls && SUCCEEDED(controls->stop());
}

bool MediaPlayerHost::SetVolume(long volume) {
  ComPtr<IWMPSettings> settings = Settings();
  return settings && SUCCEEDED(settings->put_volume(volume));
}

long MediaPlayerHost::Volume() const {
  ComPtr<IWMPSettings> settings = Settings();
  long volume = -1;
  if (!settings || FAILED(settings->get_volume(&volume))) return -1;
  return volume;
}

ComPtr<IWMPControls> MediaPlayerHost::Controls() const {
  ComPtr<IWMPControls> controls;
  if (player_) player_->get_controls(controls.Receive());
  return controls;
}

ComPtr<IWMPSettings> MediaPlayerHost::Settings() const {
  ComPtr<IWMPSettings> settings;
  if (player_) player_->get_settings(settings.Receive());
  return settings;
}

ComPtr<IWMPNetwork> MediaPlayerHost::Network() const {
  ComPtr<IWMPNetwork> network;
  if (player_) player_->get_network(network.Receive());
  return network;
}

void MediaPlayerHost::OnPlayStateEvent(long eventValue) {
  // The control's own reading comes first; this Wine's control cannot report it, so the event's value stands in.
  WMPPlayState state = wmppsUndefined;
  long playState = eventValue;
  if (player_ && SUCCEEDED(player_->get_playState(&state))) playState = state;
  lastPlayState_ = playState;
  if (handler_) handler_(playState);
}

}  // namespace trr
