// Our own small OLE container for the Windows Media Player control: no ATL; the site object is ControlSite
// (control_site.h), the play-state events arrive through the sink below.
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

#include "player/playback/media_player_host.h"

#include <olectl.h>

#include "common/gbk_convert.h"
#include "player/playback/control_site.h"

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
  site_ = ControlSite::Create(hostWindow);

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
    // Script commands inside a stream must not open web pages: a station's stream is anyone's to write.
    settings->put_invokeURLs(VARIANT_FALSE);
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
