// Command-line options of the qvx720-sim tool, parsed apart from the tool so
// that they can be tested.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "controller_bank.h"
#include "faults.h"
#include "realistic_mix.h"

namespace qvx::sim {

struct ToolOptions {
    struct WordSetting {
        std::vector<int> channels;
        int value = 0;
    };
    std::string link;
    int baud = 9600;
    int turnaroundMs = 2;
    bool allChannels = false;
    std::optional<std::vector<int>> channels;  // nothing: the realistic mix
    std::vector<WordSetting> optionWords, typeWords, extensionWords, unitCodes, inputTypes;
    std::vector<int> keyLocked;
    // Controllers that SIGUSR1 switches off (they hear nothing) and SIGUSR2 on again.
    std::vector<int> switchable;
    std::vector<Fault> faults;
    int autoTuneSeconds = 20;
    bool verbose = false;
    bool help = false;
};

// "0-23,40,80-84" -> the channel numbers 0..94, ascending, without repeats.
std::optional<std::vector<int>> parseChannelList(std::string_view text, std::string* error = nullptr);
// "LIST=VALUE" with a hexadecimal (words) or decimal (input type) value.
std::optional<ToolOptions::WordSetting> parseWordSetting(std::string_view text, bool hex, int min, int max,
                                                         std::string* error = nullptr);
// args without the program name.
std::optional<ToolOptions> parseToolArgs(const std::vector<std::string>& args, std::string* error = nullptr);
std::string toolUsage();

// The channels and their configuration the options ask for.
BankLayout layoutFor(const ToolOptions& options);
// Fills the bank: layout, key locks, faults, auto-tuning time.
void applyToolOptions(ControllerBank& bank, const ToolOptions& options);

}  // namespace qvx::sim
