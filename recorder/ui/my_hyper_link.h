// CMyHyperLink: a static text of a dialog shown as a web link. Underlined, blue, red
// while the mouse is over it (the control captures the mouse so that it sees it leave),
// a hand cursor, and a click opens the target with the shell. UI thread only.
#pragma once
#include "gdi_owners.h"
#include "subclassed_control.h"

#include <functional>
#include <string>

class CMyHyperLink : public SubclassedControl {
public:
    CMyHyperLink() = default;
    ~CMyHyperLink() override;

    void SetTarget(const std::string& address) { m_target = address; }

    bool IsHovering() const { return m_hovering; }
    COLORREF TextColour() const { return m_hovering ? m_hoverColour : m_normalColour; }

    // Opens an address; replaceable so tests can count the opens.
    static std::function<void(const std::string& address)> openAddress;

protected:
    void PreSubclassWindow() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnMouseMove(WPARAM flags, LPARAM point);
    BOOL OnSetCursor();
    void OnLinkClicked();
    HBRUSH CtlColor(HDC hdc);
    void RedrawNow();

    bool m_hovering = false;
    HCURSOR m_handCursor = nullptr;
    korvane::GdiObject<HFONT> m_linkFont;
    std::string m_target;
    COLORREF m_normalColour = 0xFF0000;  // blue (COLORREF is 0x00BBGGRR)
    COLORREF m_hoverColour = 0x0000FF;   // red
};
