// UniqueOwner: the one move-only owner behind every handle owner of the project. The
// traits say what is stored (a handle, or a handle with what its release needs, such
// as the window of a GetDC), how it is opened, how it is closed and which handle tally
// counts it. Any thread; a handle stays on the thread its kind requires.
//
// A traits type provides:
//   using Storage = ...;                          // value-initialised means empty
//   static bool IsValid(const Storage&);
//   static void Close(const Storage&);            // only called on a valid value
//   static <handle> Get(const Storage&);
//   static constexpr HandleKind kTally;          // HandleKind::Uncounted for none
// and, optionally, Open(args...) returning a Storage: the owner's constructor with
// those arguments calls it. OwnedHandleTraits below fills in the plain-handle parts.
#pragma once
#include "handle_tally.h"

#include <utility>

namespace korvane {

template <typename Traits>
class UniqueOwner {
public:
    using Storage = typename Traits::Storage;

    UniqueOwner() = default;
    // Opens through Traits::Open; an owner whose traits adopt takes the handle given.
    template <typename First, typename... Rest, typename T = Traits,
              typename = decltype(T::Open(std::declval<First>(), std::declval<Rest>()...))>
    explicit UniqueOwner(First&& first, Rest&&... rest)
        : m_value(Traits::Open(std::forward<First>(first), std::forward<Rest>(rest)...))
    {
        if (Traits::IsValid(m_value))
            Note(NoteOpened);
    }
    // Takes back a value Detach() gave out: it is still counted as open.
    static UniqueOwner Reclaim(Storage value)
    {
        UniqueOwner owner;
        owner.m_value = value;
        return owner;
    }

    ~UniqueOwner() { Reset(); }
    UniqueOwner(UniqueOwner&& other) noexcept : m_value(std::exchange(other.m_value, Storage{})) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_value = std::exchange(other.m_value, Storage{});
        }
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;

    auto Get() const { return Traits::Get(m_value); }
    // Everything stored, for owners that keep more than the handle (a PAINTSTRUCT...).
    const Storage& Value() const { return m_value; }
    explicit operator bool() const { return Traits::IsValid(m_value); }

    void Reset()
    {
        if (Traits::IsValid(m_value)) {
            Traits::Close(std::exchange(m_value, Storage{}));
            Note(NoteClosed);
        } else {
            m_value = Storage{};
        }
    }
    // For our own code that closes the value later and notes that itself (or gives it
    // back through Reclaim): it stays counted as open.
    Storage Detach() { return std::exchange(m_value, Storage{}); }
    // For code outside our accounting that closes the value itself.
    Storage Release()
    {
        if (Traits::IsValid(m_value))
            Note(NoteClosed);
        return std::exchange(m_value, Storage{});
    }
    // The out-parameter of a call that opens the value; what the owner held is closed
    // first. NoteReceived() afterwards lets the tally see what arrived, or Discard()
    // forgets what a failed call may have left there.
    Storage* Receive()
    {
        Reset();
        return &m_value;
    }
    void Discard() { m_value = Storage{}; }
    void NoteReceived()
    {
        if (Traits::IsValid(m_value))
            Note(NoteOpened);
    }

private:
    static void Note(void (*note)(HandleKind))
    {
        if (Traits::kTally != HandleKind::Uncounted)
            note(Traits::kTally);
    }
    Storage m_value{};
};

// The common case: the storage is the handle itself and null means empty.
template <typename Handle, HandleKind Tally = HandleKind::Uncounted>
struct OwnedHandleTraits {
    using Storage = Handle;
    static constexpr HandleKind kTally = Tally;
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static Handle Get(Handle handle) { return handle; }
    // Adopts a handle opened elsewhere.
    static Handle Open(Handle handle) { return handle; }
};

}  // namespace korvane
