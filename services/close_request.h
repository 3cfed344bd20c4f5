// QZCC_CLOSEAPP: the management panel's request to close the program. A dialog counts ten
// seconds down (or closes at its button), then the user is logged out, every table is closed
// and the program quits.
#pragma once

namespace svc {

void Qzcc_CloseApp();

// The countdown's tick, 999 ms; tests make it shorter.
void SetCloseCountdownTick(unsigned milliseconds);

// Registers QZCC_CLOSEAPP.
void RegisterCloseRequestFunctions();

}  // namespace svc
