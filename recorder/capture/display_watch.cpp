// The display watch.
#include "display_watch.h"

#include "app/recording_state.h"
#include "app/screen_layout.h"
#include "region/region_geometry.h"

bool DisplayWatch::Signature::operator==(const Signature& o) const
{
    return left == o.left && top == o.top && width == o.width && height == o.height &&
           monitors == o.monitors && announced == o.announced;
}

DisplayWatch::Signature DisplayWatch::Now()
{
    return Signature{GetSystemMetrics(SM_XVIRTUALSCREEN),  GetSystemMetrics(SM_YVIRTUALSCREEN),
                     GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                     GetSystemMetrics(SM_CMONITORS),       displayChanges.load()};
}

DisplayWatch::DisplayWatch(int left, int top, int width, int height)
    : m_area{left, top, left + width - 1, top + height - 1}, m_seen(Now())
{
}

DisplayWatch::Change DisplayWatch::Check(int& left, int& top)
{
    const Signature now = Now();
    if (now == m_seen)
        return Change::None;
    m_seen = now;
    const korvane::RefittedArea fit = korvane::RefitArea(
        korvane::Rect{m_area.left, m_area.top, m_area.right, m_area.bottom}, MonitorRects());
    switch (fit.fate) {
    case korvane::AreaFate::Unchanged: return Change::None;
    case korvane::AreaFate::TooLarge: return Change::Lost;
    case korvane::AreaFate::Moved: break;
    }
    m_area = RECT{fit.area.left, fit.area.top, fit.area.right, fit.area.bottom};
    left = m_area.left;
    top = m_area.top;
    return Change::Moved;
}
