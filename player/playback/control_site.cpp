#include "player/playback/control_site.h"

#include <olectl.h>

namespace trr {
namespace {

class Site final : public ControlSite {
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
  ULONG AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  IOleClientSite* ClientSite() override { return &clientSite_; }
  void Detach() override { host_ = nullptr; }

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

  ~Site() override = default;

  LONG refs_ = 1;
  HWND host_;
  ClientSitePart clientSite_;
  InPlaceSitePart inPlaceSite_;
  ControlSitePart controlSite_;
  FramePart frame_;
  AmbientPart ambient_;
};

}  // namespace

ControlSite* ControlSite::Create(HWND host) { return new Site(host); }

}  // namespace trr
