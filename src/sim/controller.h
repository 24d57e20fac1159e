// One simulated temperature controller: its settings, its answers to request
// frames, and the heated plant it controls.
#pragma once

#include <QtGlobal>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "input_types.h"
#include "protocol.h"

namespace qvx::sim {

enum class HeaterFault { None, Burnout, ActuatorShort };

// How one channel is built. Everything not given here follows from the input
// type (ranges, tenths, ambient temperature, heater power).
struct ChannelConfig {
    qint16 unitCode = 1;       // data of the presence-probe reply
    quint16 option = 0x000F;   // option word "00A1": four alarms fitted
    quint16 type = 0x0000;     // type word "00A2"
    quint16 extension = 0x0000;  // data of the "a" reply; bits 0x600 carry meaning
    qint16 inputType = 0;      // the channel's input type as shipped (item 54)
    // The installer's settings over the factory values: item index 10..63, raw value.
    std::vector<std::pair<int, qint16>> settings;
    bool keyLocked = false;

    // Plant.
    bool startSettled = true;         // PV starts at SV (long in service); false: at ambient
    double timeConstantS = 40.0;      // first-order time constant of the heated mass
    double heaterGainFraction = 0.55; // full heater power lifts PV by this share of (top - ambient)
    double heaterCurrentA = 8.0;      // current of a working heater while its output is on
    HeaterFault heater1 = HeaterFault::None;
    HeaterFault heater2 = HeaterFault::None;
    bool sensorBreak = false;         // open thermocouple: PV overscale
    // A recurring heat loss (a door opened, a cold load), as a share of full heater power.
    int disturbancePeriodS = 0;
    int disturbanceLengthS = 0;
    double disturbancePercent = 0.0;
    quint32 seed = 0;  // noise seed; 0 = from the channel number
};

// Index of a protocol item code ("0080", "0001"...) in the program's item list
// 0..66, -1 for a code that names no item; the command item "0000" gives -1.
int itemIndexOfCode(std::string_view code);

class SimController {
public:
    static constexpr int kStepMs = 100;  // plant integration step

    SimController(int channel, ChannelConfig cfg);

    int channel() const { return channel_; }
    const ChannelConfig& config() const { return cfg_; }

    // The answer to one well-formed request whose second address is " ".
    proto::Reply handle(const proto::Request& r);
    // Advances the plant by one step ending at nowMs.
    void step(qint64 nowMs, int dtMs = kStepMs);

    // A change made on the controller's own keys: the value is taken (limited
    // to the item's range) and the status word asks the program to re-read.
    // False for an item the controller does not have.
    bool frontPanelChange(int item, qint16 value);
    void setKeyLock(bool on) { keyLocked_ = on; }
    bool keyLocked() const { return keyLocked_; }
    void setSensorBreak(bool on) { sensorBreak_ = on; }
    void setHeaterFault(int heater, HeaterFault f);
    void setAutoTuneDurationMs(qint64 ms) { atDurationMs_ = ms; }
    void setOptionWord(quint16 w) { cfg_.option = w; }
    void setTypeWord(quint16 w) { cfg_.type = w; }
    void setExtensionWord(quint16 w) { cfg_.extension = w; }
    // Settings back to the factory values (the data-clear command).
    void dataClear();

    // What a test may look at.
    qint16 setting(int k) const;
    bool itemExists(int k) const;
    // Inclusive range a write of setting k must fall in.
    std::optional<std::pair<int, int>> settingRange(int k) const;
    qint16 pv() const;
    qint16 mv() const;
    qint16 coolMv() const;
    qint16 heaterCurrent(int heater) const;
    quint16 statusWord() const;  // without clearing the re-read bit
    bool autoTuning() const { return atRunning_; }
    double truePv() const { return pvTrue_; }

private:
    struct AlarmState {
        bool on = false;
        bool latched = false;
        bool standby = true;
        double pendingS = 0.0;
    };

    proto::Reply read(const proto::Request& r, proto::Reply reply);
    proto::Reply write(const proto::Request& r, proto::Reply reply);
    void applySetting(int k, qint16 v);
    void factorySettings();
    void startPlant(bool settled);
    void startAutoTuning();
    void finishAutoTuning();
    void resetAlarms(bool rearmStandby);
    void clampDependents();

    Range inputRange() const;
    bool oneDecimal() const { return isOneDecimalType(setting(54)); }
    bool linear() const;
    double tenthsToRaw(int v) const;  // a "tenths" setting in PV units
    double ambient() const;
    double heaterGain() const;
    double noise();

    void control(double dt);
    void outputs(qint64 nowMs);
    void plant(qint64 nowMs, double dt);
    void measure(double dt);
    void alarms(double dt);
    void heaterAlarms();
    void loopBreak(double dt);

    int channel_;
    ChannelConfig cfg_;
    std::array<qint16, 64> set_{};  // settings 10..63 by item index
    bool keyLocked_ = false;
    bool sensorBreak_ = false;
    bool reread_ = false;
    quint32 rng_ = 1;

    // Plant and control state.
    double pvTrue_ = 0.0;     // the process temperature, raw units
    double measured_ = 0.0;   // after correction, noise and filter
    double heat_ = 0.0;       // main output, percent
    double cool_ = 0.0;       // cooling output, percent
    double integ_ = 0.0;      // integral of the deviation, raw units
    double dFilt_ = 0.0;      // filtered PV slope, raw units per second
    double lastTrue_ = 0.0;
    bool onOffState_ = false;
    bool mainOn_ = false;
    bool coolOn_ = false;
    bool over_ = false;
    bool under_ = false;
    std::array<double, 2> current_{};  // heater currents, A
    std::array<bool, 2> burnout_{};
    std::array<bool, 2> actShort_{};
    std::array<AlarmState, 4> alarm_{};
    bool loopBreak_ = false;
    double lbaTimerS_ = 0.0;
    double lbaStartPv_ = 0.0;

    bool atRunning_ = false;
    qint64 atElapsedMs_ = 0;
    qint64 atDurationMs_ = 20000;
};

}  // namespace qvx::sim
