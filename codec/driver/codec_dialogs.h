// The driver's configure dialog (the default quality kept in its state) and its about
// box. Both are modal and run on whichever thread sent ICM_CONFIGURE / ICM_ABOUT.
#pragma once
#include "codec_state.h"
#include "dialog_base.h"

namespace kvmsvc {

class ConfigureDialog : public DialogBase {
public:
    explicit ConfigureDialog(const CodecState& state) : m_state(state) {}
    // The edited settings; meaningful once DoModal has returned IDOK.
    const CodecState& State() const { return m_state; }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnOK();
    CodecState m_state;
};

class AboutDialog : public DialogBase {
protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace kvmsvc
