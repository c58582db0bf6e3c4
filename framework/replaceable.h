// A service the program reaches through an interface: its own implementation unless a
// test has put a stand-in in place for as long as a Replacement lives. Replace only while
// no other thread uses the service (a test's set-up), since the slot is not guarded.
#pragma once

namespace korvane {

template <class Interface>
class Replaceable {
public:
    static Interface& Current() { return *Slot(); }

    class Replacement {
    public:
        explicit Replacement(Interface& standIn) : m_previous(Slot()) { Slot() = &standIn; }
        ~Replacement() { Slot() = m_previous; }
        Replacement(const Replacement&) = delete;
        Replacement& operator=(const Replacement&) = delete;

    private:
        Interface* m_previous;
    };

private:
    // Defined beside the program's own implementation, which it starts out pointing at.
    static Interface*& Slot();
};

}  // namespace korvane
