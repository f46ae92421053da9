#include "qt/taskbar.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zol {

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(r);
  return a;
}

}  // namespace

void SkipTaskbar(QWidget* w) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return;
  xcb_connection_t* c = x11->connection();
  const xcb_window_t win = static_cast<xcb_window_t>(w->winId());
  const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
  const xcb_atom_t skip = Atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
  if (state == XCB_ATOM_NONE || skip == XCB_ATOM_NONE) return;
  if (!w->isVisible()) {
    // Qt keeps the atoms it finds in the property when it maps the window.
    std::vector<xcb_atom_t> atoms;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, win, state, XCB_ATOM_ATOM, 0, 1024), nullptr);
    if (r && r->format == 32 && r->type == XCB_ATOM_ATOM) {
      const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
      atoms.assign(data, data + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    for (xcb_atom_t a : atoms) {
      if (a == skip) return;
    }
    atoms.push_back(skip);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, state, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(atoms.size()), atoms.data());
  } else {
    xcb_client_message_event_t ev;
    std::memset(&ev, 0, sizeof ev);
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = win;
    ev.type = state;
    ev.data.data32[0] = 1;  // add
    ev.data.data32[1] = skip;
    ev.data.data32[3] = 1;  // from an application
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
  }
  xcb_flush(c);
}

}  // namespace zol
