// The container side of one in-place ActiveX control in a child window of ours: one reference-counted site
// object with a thin part per interface (client site, in-place site, control site, frame, ambient properties),
// each forwarding IUnknown to the site; everything not needed answers E_NOTIMPL. See media_player_host.cpp
// for what the media player control asks of its container.
#pragma once
#include <windows.h>
#include <ole2.h>

namespace trr {

class ControlSite {
 public:
  // A new site for a control placed in `host`, with one reference held by the caller.
  static ControlSite* Create(HWND host);

  virtual IOleClientSite* ClientSite() = 0;
  // The host window goes away before the control may let go of the site: the site then answers without it.
  virtual void Detach() = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~ControlSite() = default;
};

}  // namespace trr
