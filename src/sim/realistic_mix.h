// The ready-made bank: a plausible plant of three control units with some
// addresses empty, used by the program's --simulate mode, the run command and
// the qvx720-sim tool by default.
#pragma once

#include <array>
#include <memory>
#include <optional>

#include "controller_bank.h"
#include "qvx720com.h"
#include "sim_transport.h"

namespace qvx::sim {

using BankLayout = std::array<std::optional<ChannelConfig>, kBankChannels>;

// Channels 0..23, 40..47 and 80..84: heat-only and heating/cooling zones,
// heater-current options, a one-decimal Pt100, a 4-20 mA input, a key-locked
// channel, an open thermocouple, a burnt-out heater, an output switched off,
// a zone warming up, and zones whose recurring disturbances switch alarms.
BankLayout realisticMix();
// A plain heat-only K thermocouple channel, for addresses outside the mix.
ChannelConfig plainChannel(int ch);

void populate(ControllerBank& bank, const BankLayout& layout);
std::shared_ptr<ControllerBank> makeRealisticBank(std::shared_ptr<Clock> clock = nullptr);
// The simulated line of the program's --simulate mode: the realistic mix on
// the real clock, with line timing.
QVX720Com::LineFactory realisticSimulatedLine(SimLineOptions options = {});

}  // namespace qvx::sim
