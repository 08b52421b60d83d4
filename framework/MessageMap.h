#pragma once
// Message maps: static tables of typed entries, one entry kind per message
// signature. Each kind decodes its message once and calls the handler through
// a member pointer of exactly the type it declares, so no member-pointer casts
// are needed anywhere. A class's table is walked first, then its base class's.

#include <windows.h>
#include <commctrl.h>

#include <variant>

namespace fw {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

template <class T> struct MapEnd {};
template <class T> struct CreateEntry { int (T::*handler)(LPCREATESTRUCT); };
// Messages whose handler takes nothing and returns nothing (WM_PAINT, WM_DESTROY).
template <class T> struct SimpleEntry { UINT message; void (T::*handler)(); };
template <class T> struct TimerEntry { void (T::*handler)(UINT_PTR); };
template <class T> struct SizeEntry { void (T::*handler)(UINT, int, int); };
template <class T> struct SetFocusEntry { void (T::*handler)(HWND); };
// WM_CONTEXTMENU: the window clicked in and the point in screen coordinates,
// (-1, -1) when the keyboard asked for the menu.
template <class T> struct ContextMenuEntry { void (T::*handler)(HWND, POINT); };
// Menu commands (code 0) and control notifications sent with WM_COMMAND.
template <class T> struct CommandEntry { UINT id; UINT code; void (T::*handler)(); };
template <class T> struct NotifyEntry { UINT code; UINT id; void (T::*handler)(NMHDR*, LRESULT*); };
template <class T> struct ListViewNotifyEntry { UINT code; UINT id; void (T::*handler)(NMLISTVIEW*, LRESULT*); };
template <class T> struct MessageHandlerEntry { UINT message; LRESULT (T::*handler)(WPARAM, LPARAM); };

template <class T>
using MessageEntry = std::variant<MapEnd<T>, CreateEntry<T>, SimpleEntry<T>, TimerEntry<T>, SizeEntry<T>,
                                  SetFocusEntry<T>, ContextMenuEntry<T>, CommandEntry<T>, NotifyEntry<T>,
                                  ListViewNotifyEntry<T>, MessageHandlerEntry<T>>;

namespace detail {

template <class T>
bool Dispatch(T&, const MapEnd<T>&, const Message&, LRESULT&) { return false; }

template <class T>
bool Dispatch(T& self, const CreateEntry<T>& e, const Message& m, LRESULT& result)
{
    if (m.message != WM_CREATE)
        return false;
    result = (self.*e.handler)(reinterpret_cast<LPCREATESTRUCT>(m.lParam));
    return true;
}

template <class T>
bool Dispatch(T& self, const SimpleEntry<T>& e, const Message& m, LRESULT& result)
{
    if (m.message != e.message)
        return false;
    (self.*e.handler)();
    result = 0;
    return true;
}

template <class T>
bool Dispatch(T& self, const TimerEntry<T>& e, const Message& m, LRESULT& result)
{
    if (m.message != WM_TIMER)
        return false;
    (self.*e.handler)(static_cast<UINT_PTR>(m.wParam));
    result = 0;
    return true;
}

template <class T>
bool Dispatch(T& self, const SizeEntry<T>& e, const Message& m, LRESULT& result)
{
    if (m.message != WM_SIZE)
        return false;
    (self.*e.handler)(static_cast<UINT>(m.wParam), static_cast<short>(LOWORD(m.lParam)),
                      static_cast<short>(HIWORD(m.lParam)));
    result = 0;
    return true;
}

template <class T>
bool Dispatch(T& self, const SetFocusEntry<T>& e, const Message& m, LRESULT& result)
{
    if (m.message != WM_SETFOCUS)
        return false;
    (self.*e.handler)(reinterpret_cast<HWND>(m.wParam));
    result = 0;
    return true;
}

template <class T>
bool Dispatch(T& self, const ContextMenuEntry<T>& e, const Message& m, LRESULT& result)
{
    if (m.message != WM_CONTEXTMENU)
        return false;
    (self.*e.handler)(reinterpret_cast<HWND>(m.wParam),
                      POINT{static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))});
    result = 0;
    return true;
}

template <class T>
bool Dispatch(T& self, const CommandEntry<T>& e, const Message& m, LRESULT& result)
{
    if (m.message != WM_COMMAND || LOWORD(m.wParam) != e.id || HIWORD(m.wParam) != e.code)
        return false;
    (self.*e.handler)();
    result = 0;
    return true;
}

inline const NMHDR* NotifyHeader(const Message& m, UINT code, UINT id)
{
    if (m.message != WM_NOTIFY || m.lParam == 0)
        return nullptr;
    const NMHDR* header = reinterpret_cast<const NMHDR*>(m.lParam);
    return header->code == code && header->idFrom == id ? header : nullptr;
}

template <class T>
bool Dispatch(T& self, const NotifyEntry<T>& e, const Message& m, LRESULT& result)
{
    if (!NotifyHeader(m, e.code, e.id))
        return false;
    result = 0;
    (self.*e.handler)(reinterpret_cast<NMHDR*>(m.lParam), &result);
    return true;
}

// List-view notifications that carry an NMLISTVIEW record.
template <class T>
bool Dispatch(T& self, const ListViewNotifyEntry<T>& e, const Message& m, LRESULT& result)
{
    if (!NotifyHeader(m, e.code, e.id))
        return false;
    result = 0;
    (self.*e.handler)(reinterpret_cast<NMLISTVIEW*>(m.lParam), &result);
    return true;
}

template <class T>
bool Dispatch(T& self, const MessageHandlerEntry<T>& e, const Message& m, LRESULT& result)
{
    if (m.message != e.message)
        return false;
    result = (self.*e.handler)(m.wParam, m.lParam);
    return true;
}

} // namespace detail

template <class T, std::size_t N>
bool DispatchMessageMap(T& self, const MessageEntry<T> (&entries)[N], const Message& m, LRESULT& result)
{
    for (const MessageEntry<T>& entry : entries) {
        const bool handled =
            std::visit([&](const auto& e) { return detail::Dispatch(self, e, m, result); }, entry);
        if (handled)
            return true;
    }
    return false;
}

} // namespace fw

#define DECLARE_MESSAGE_MAP() \
protected:                    \
    bool ProcessWindowMessage(const ::fw::Message& message, LRESULT& result) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                               \
    bool theClass::ProcessWindowMessage(const ::fw::Message& message, LRESULT& result)       \
    {                                                                                        \
        using ThisClass = theClass;                                                          \
        using TheBaseClass = baseClass;                                                      \
        static const ::fw::MessageEntry<ThisClass> entries[] = {

#define END_MESSAGE_MAP()                                                                    \
            ::fw::MapEnd<ThisClass>{}                                                        \
        };                                                                                   \
        return ::fw::DispatchMessageMap(*this, entries, message, result)                     \
            || TheBaseClass::ProcessWindowMessage(message, result);                          \
    }

#define ON_WM_CREATE() ::fw::CreateEntry<ThisClass>{&ThisClass::OnCreate},
#define ON_WM_PAINT() ::fw::SimpleEntry<ThisClass>{WM_PAINT, &ThisClass::OnPaint},
#define ON_WM_DESTROY() ::fw::SimpleEntry<ThisClass>{WM_DESTROY, &ThisClass::OnDestroy},
#define ON_WM_TIMER() ::fw::TimerEntry<ThisClass>{&ThisClass::OnTimer},
#define ON_WM_SIZE() ::fw::SizeEntry<ThisClass>{&ThisClass::OnSize},
#define ON_WM_SETFOCUS() ::fw::SetFocusEntry<ThisClass>{&ThisClass::OnSetFocus},
#define ON_WM_CONTEXTMENU() ::fw::ContextMenuEntry<ThisClass>{&ThisClass::OnContextMenu},
#define ON_COMMAND(id, memberFxn) ::fw::CommandEntry<ThisClass>{id, 0, &ThisClass::memberFxn},
#define ON_BN_CLICKED(id, memberFxn) \
    ::fw::CommandEntry<ThisClass>{id, BN_CLICKED, &ThisClass::memberFxn},
#define ON_CBN_SELCHANGE(id, memberFxn) \
    ::fw::CommandEntry<ThisClass>{id, CBN_SELCHANGE, &ThisClass::memberFxn},
#define ON_EN_CHANGE(id, memberFxn) ::fw::CommandEntry<ThisClass>{id, EN_CHANGE, &ThisClass::memberFxn},
#define ON_NOTIFY(code, id, memberFxn) \
    ::fw::NotifyEntry<ThisClass>{static_cast<UINT>(code), id, &ThisClass::memberFxn},
#define ON_LVN_ITEMCHANGED(id, memberFxn) \
    ::fw::ListViewNotifyEntry<ThisClass>{static_cast<UINT>(LVN_ITEMCHANGED), id, &ThisClass::memberFxn},
#define ON_LVN_COLUMNCLICK(id, memberFxn) \
    ::fw::ListViewNotifyEntry<ThisClass>{static_cast<UINT>(LVN_COLUMNCLICK), id, &ThisClass::memberFxn},
#define ON_MESSAGE(msg, memberFxn) ::fw::MessageHandlerEntry<ThisClass>{msg, &ThisClass::memberFxn},
