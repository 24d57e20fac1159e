#include "controller.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "qvx720_inc.h"

namespace qvx::sim {

namespace {

// Item indexes of the settings this controller gives a meaning to.
enum : int {
    kSV = 10, kAT = 11, kPB = 12, kCoolPB = 13, kTi = 14, kTd = 15, kCycle = 16, kCoolCycle = 17,
    kManualReset = 18, kAlarm1 = 19, kHB1 = 23, kLbaTime = 24, kLbaSpan = 25, kMemSave = 26,
    kCorrection = 27, kDeadBand = 28, kScaleHigh = 29, kScaleLow = 30, kFilter = 31, kOutHigh = 32,
    kOutLow = 33, kHyst = 34, kCoolMode = 35, kCoolHigh = 36, kCoolLow = 37, kCoolHyst = 38,
    kAlarmType1 = 39, kAlarmType2 = 40, kAlarmHyst1 = 41, kAlarmDelay1 = 45, kOutput = 49,
    kPowerOn = 50, kEnergized = 51, kHold1 = 52, kHold2 = 53, kInputType = 54, kAction = 55,
    kAtBias = 56, kArw = 57, kAlarmType3 = 58, kAlarmType4 = 59, kHold3 = 60, kHold4 = 61,
    kHB2 = 62, kAbnormal = 63, kAlarmCommand = 64,
};
constexpr int kAlarmType[4] = {kAlarmType1, kAlarmType2, kAlarmType3, kAlarmType4};
constexpr int kHold[4] = {kHold1, kHold2, kHold3, kHold4};

constexpr quint16 kOptHeatCool = 0x100;
constexpr quint16 kOptHB1 = 0x20;
constexpr quint16 kOptHB2 = 0x40;
constexpr quint16 kOptSmallHB = 0x80;
constexpr quint16 kOptLoopBreak = 0x10;

constexpr std::string_view kScanCommand = "9865";
constexpr std::string_view kClearCommand = "9346";

proto::Reply nak(proto::Reply r, char code) {
    r.klass = proto::NAK;
    r.error = code;
    r.data = "0000";
    return r;
}

proto::Reply ack(proto::Reply r, qint16 value) {
    r.klass = proto::ACK;
    r.error = '0';
    r.data = proto::hex4(value);
    return r;
}

qint16 toRaw(double v) {
    return static_cast<qint16>(std::clamp(std::lround(v), -32768L, 32767L));
}

}  // namespace

int itemIndexOfCode(std::string_view code) {
    static const std::array<int, 256> table = [] {
        std::array<int, 256> t{};
        t.fill(-1);
        for (int k = 0; k < kItems; ++k) {
            const QString c = itemCode(k);
            if (c.isEmpty()) continue;
            t[static_cast<std::size_t>(c.toInt(nullptr, 16))] = k;
        }
        return t;
    }();
    if (!proto::isHex4(code)) return -1;
    const auto v = static_cast<quint16>(*proto::parseHex4(code));
    return v < table.size() ? table[v] : -1;
}

SimController::SimController(int channel, ChannelConfig cfg)
    : channel_(channel), cfg_(std::move(cfg)) {
    keyLocked_ = cfg_.keyLocked;
    sensorBreak_ = cfg_.sensorBreak;
    rng_ = cfg_.seed ? cfg_.seed : 0x9E3779B9u ^ static_cast<quint32>(channel * 2654435761u);
    if (rng_ == 0) rng_ = 1;
    factorySettings();
    for (const auto& [k, v] : cfg_.settings)
        if (k >= kSV && k <= kAbnormal) set_[static_cast<std::size_t>(k)] = v;
    clampDependents();
    startPlant(cfg_.startSettled);
}

// ---------------------------------------------------------------- settings

void SimController::factorySettings() {
    const int t = std::clamp<int>(cfg_.inputType, 0, kMaxInputType);
    const bool dec = isOneDecimalType(t);
    const bool lin = isLinearType(t);
    const int f = dec ? 10 : 1;
    set_.fill(0);
    auto s = [this](int k, int v) { set_[static_cast<std::size_t>(k)] = static_cast<qint16>(v); };
    s(kInputType, t);
    const Range r = lin ? Range{0, 1000} : *sensorRange(t);
    s(kScaleHigh, r.high);
    s(kScaleLow, r.low);
    s(kSV, std::max<int>(0, r.low));
    s(kPB, 30);
    s(kCoolPB, 30);
    s(kTi, 200);
    s(kTd, 50);
    s(kCycle, 20);
    s(kCoolCycle, 20);
    s(kLbaSpan, (dec || lin) ? 100 : 10);
    s(kOutHigh, 100);
    s(kOutLow, 0);
    s(kHyst, 10);
    s(kCoolHigh, 100);
    s(kCoolLow, 0);
    s(kCoolHyst, 10);
    for (int i = 0; i < 4; ++i) s(kAlarmHyst1 + i, 10);
    s(kOutput, 1);
    s(kPowerOn, 1);
    s(kAtBias, lin ? 0 : (t <= 14 ? 20 : 30) * f);
    s(kArw, 100);
}

bool SimController::linear() const { return isLinearType(setting(kInputType)); }

qint16 SimController::setting(int k) const {
    if (k < kSV || k > kAbnormal) return 0;
    return set_[static_cast<std::size_t>(k)];
}

bool SimController::itemExists(int k) const {
    const quint16 opt = cfg_.option;
    switch (k) {
    case 2: case kCoolPB: case kCoolCycle: case kDeadBand: case kCoolMode: case kCoolHigh: case kCoolLow:
    case kCoolHyst:
        return opt & kOptHeatCool;
    case 4: case kHB1: return opt & kOptHB1;
    case 5: case kHB2: return opt & kOptHB2;
    case kAbnormal: return (cfg_.type & 0x18) == 0x10;
    default: return k >= 0 && k <= kAlarmCommand && k != 9;
    }
}

std::optional<std::pair<int, int>> SimController::settingRange(int k) const {
    const int t = setting(kInputType);
    const bool dec = isOneDecimalType(t);
    const bool lin = isLinearType(t);
    const bool wideOut = cfg_.type & 0x10;
    using P = std::pair<int, int>;
    switch (k) {
    case kSV: return P{setting(kScaleLow), setting(kScaleHigh)};
    case kAT: return P{0, 1};
    case kPB: return P{0, lin ? 1000 : dec ? 9999 : t > 14 ? 2000 : 1000};
    case kCoolPB: return P{0, 100};
    case kTi: return P{0, 1000};
    case kTd: return P{0, 300};
    case kCycle: case kCoolCycle: return P{1, 120};
    case kManualReset: return P{-1999, 9999};
    case 19: case 20: case 21: case 22: return P{-1999, 9999};
    case kHB1: case kHB2: return P{0, (cfg_.option & kOptSmallHB) ? 200 : 1000};
    case kLbaTime: return P{0, 200};
    case kLbaSpan: return P{0, (dec || lin) ? 1500 : 150};
    case kMemSave: return P{0, 3};
    case kCorrection: case kDeadBand: return P{-1000, 1000};
    case kScaleHigh: return P{setting(kScaleLow), lin ? 9999 : sensorRange(t)->high};
    case kScaleLow: return P{lin ? -1999 : sensorRange(t)->low, setting(kScaleHigh)};
    case kFilter: return P{0, 100};
    case kOutHigh: return P{setting(kOutLow), wideOut ? 105 : 100};
    case kOutLow: return P{wideOut ? -5 : 0, setting(kOutHigh)};
    case kHyst: case kCoolHyst: case 41: case 42: case 43: case 44: return P{1, 1000};
    case kCoolMode: return P{0, 2};
    case kCoolHigh: return P{setting(kCoolLow), 100};
    case kCoolLow: return P{0, setting(kCoolHigh)};
    case kAlarmType1: case kAlarmType2: case kAlarmType3: case kAlarmType4: return P{0, 9};
    case 45: case 46: case 47: case 48: return P{0, 9999};
    case kOutput: case kPowerOn: case kEnergized: case kHold1: case kHold2: case kAction: case kHold3:
    case kHold4: case kAbnormal:
        return P{0, 1};
    case kInputType: return P{0, kMaxInputType};
    case kAtBias: {
        const int base = t <= 14 ? 50 : t <= 29 ? 100 : 0;
        return P{0, dec ? base * 10 : base};
    }
    case kArw: return P{0, 100};
    case kAlarmCommand: return P{1, 2};
    default: return std::nullopt;
    }
}

// Keeps the settings that depend on others inside their ranges.
void SimController::clampDependents() {
    auto clampTo = [this](int k) {
        if (const auto r = settingRange(k))
            set_[static_cast<std::size_t>(k)] =
                static_cast<qint16>(std::clamp<int>(setting(k), r->first, r->second));
    };
    clampTo(kInputType);
    if (!linear()) {
        const Range r = *sensorRange(setting(kInputType));
        set_[kScaleHigh] = std::clamp(setting(kScaleHigh), r.low, r.high);
        set_[kScaleLow] = std::clamp(setting(kScaleLow), r.low, setting(kScaleHigh));
    }
    clampTo(kSV);
    clampTo(kAtBias);
    clampTo(kPB);
    clampTo(kLbaSpan);
}

void SimController::applySetting(int k, qint16 v) {
    const qint16 before = setting(k);
    set_[static_cast<std::size_t>(k)] = v;
    switch (k) {
    case kInputType:
        if (v != before) {
            // A new sensor: the scaling follows its range and the plant is
            // measured on the new scale.
            const Range r = isLinearType(v) ? Range{0, 1000} : *sensorRange(v);
            set_[kScaleHigh] = r.high;
            set_[kScaleLow] = r.low;
            clampDependents();
            resetAlarms(true);
            startPlant(true);
        }
        break;
    case kScaleHigh:
    case kScaleLow: clampDependents(); break;
    case kSV:
        if (v != before)
            for (auto& a : alarm_) a.standby = true;
        break;
    case kAT:
        if (v == 1 && !atRunning_) startAutoTuning();
        if (v == 0 && atRunning_) atRunning_ = false;  // abort: the PID values stay
        break;
    case kOutput:
        if (v == 0) {
            atRunning_ = false;
            set_[kAT] = 0;
        }
        break;
    default: break;
    }
}

void SimController::dataClear() {
    const qint16 input = setting(kInputType);
    atRunning_ = false;
    factorySettings();
    clampDependents();
    resetAlarms(true);
    if (setting(kInputType) != input) startPlant(true);  // measured on another scale again
    else integ_ = 0.0;
}

bool SimController::frontPanelChange(int item, qint16 value) {
    if (item < kSV || item > kAbnormal || !itemExists(item)) return false;
    const auto r = settingRange(item);
    if (!r) return false;
    const auto v = static_cast<qint16>(std::clamp<int>(value, r->first, r->second));
    if (item == kAT && v == 1 && setting(kOutput) == 0) return false;
    applySetting(item, v);
    reread_ = true;
    return true;
}

void SimController::setHeaterFault(int heater, HeaterFault f) {
    if (heater == 1) cfg_.heater1 = f;
    if (heater == 2) cfg_.heater2 = f;
}

// ---------------------------------------------------------------- frames

proto::Reply SimController::handle(const proto::Request& r) {
    proto::Reply reply;
    reply.address = r.address;
    reply.command = r.command;
    reply.item = r.command == 'a' ? std::string("0000") : r.item;
    switch (r.command) {
    case ' ': return read(r, reply);
    case 'P': return write(r, reply);
    case 'a': return ack(reply, static_cast<qint16>(cfg_.extension));
    case 'q':
        if (r.item != "0000") return nak(reply, proto::ErrUnknownItem);
        reply.data = r.data;
        return reply;
    default: return nak(reply, proto::ErrUnknownCommand);
    }
}

proto::Reply SimController::read(const proto::Request& r, proto::Reply reply) {
    if (r.item == "0000") return ack(reply, cfg_.unitCode);  // presence probe
    const int k = itemIndexOfCode(r.item);
    if (k < 0 || k > kAlarmCommand || !itemExists(k)) return nak(reply, proto::ErrUnknownItem);
    switch (k) {
    case 0: return ack(reply, pv());
    case 1: return ack(reply, mv());
    case 2: return ack(reply, coolMv());
    case 3: {
        const quint16 w = statusWord();
        reread_ = false;
        return ack(reply, static_cast<qint16>(w));
    }
    case 4: return ack(reply, heaterCurrent(1));
    case 5: return ack(reply, heaterCurrent(2));
    case 6: return ack(reply, setting(kSV));  // monitor value: the SV in use
    case 7: return ack(reply, static_cast<qint16>(cfg_.option));
    case 8: return ack(reply, static_cast<qint16>(cfg_.type));
    case kAlarmCommand: return ack(reply, 0);
    default: return ack(reply, setting(k));
    }
}

proto::Reply SimController::write(const proto::Request& r, proto::Reply reply) {
    reply.data = r.data;
    if (keyLocked_) return nak(reply, proto::ErrKeyOperation);
    if (r.item == "0000") {
        if (r.data == kScanCommand) return reply;
        if (r.data == kClearCommand) {
            dataClear();
            return reply;
        }
        return nak(reply, proto::ErrOutOfRange);
    }
    const int k = itemIndexOfCode(r.item);
    if (k < 0 || k > kAlarmCommand || !itemExists(k)) return nak(reply, proto::ErrUnknownItem);
    if (k < kSV) return nak(reply, proto::ErrNotWritable);
    const auto value = proto::parseHex4(r.data);
    const auto range = settingRange(k);
    if (!value || !proto::isHex4(r.data) || !range || *value < range->first || *value > range->second)
        return nak(reply, proto::ErrOutOfRange);
    if (k == kAlarmCommand) {
        // 1 releases held alarms, 2 resets every alarm (standby armed again).
        resetAlarms(*value == 2);
        if (*value == 2) {
            loopBreak_ = false;
            lbaTimerS_ = 0.0;
        }
        return reply;
    }
    // Auto-tuning cannot start while the control output is off.
    if (k == kAT && *value == 1 && setting(kOutput) == 0) return nak(reply, proto::ErrNotWritable);
    applySetting(k, *value);
    return reply;
}

// ---------------------------------------------------------------- monitored values

qint16 SimController::pv() const { return toRaw(measured_); }
qint16 SimController::mv() const { return toRaw(heat_ * 10.0); }
qint16 SimController::coolMv() const { return toRaw(cool_ * 10.0); }

qint16 SimController::heaterCurrent(int heater) const {
    if (heater < 1 || heater > 2) return 0;
    return toRaw(current_[static_cast<std::size_t>(heater - 1)] * 10.0);
}

quint16 SimController::statusWord() const {
    quint16 w = 0;
    if (mainOn_) w |= 0x1;
    if (coolOn_ && (cfg_.option & kOptHeatCool)) w |= 0x2;
    for (int i = 0; i < 4; ++i)
        if (alarm_[static_cast<std::size_t>(i)].on) w |= static_cast<quint16>(0x4 << i);
    if (burnout_[0]) w |= 0x40;
    if (loopBreak_) w |= 0x80;
    if (over_) w |= 0x100;
    if (under_) w |= 0x200;
    if (actShort_[0]) w |= 0x400;
    if (atRunning_) w |= 0x800;
    if (burnout_[1]) w |= 0x1000;
    if (actShort_[1]) w |= 0x2000;
    if (reread_) w |= 0x8000;
    return w;
}

// ---------------------------------------------------------------- plant

Range SimController::inputRange() const {
    if (linear()) return {setting(kScaleLow), std::max<qint16>(setting(kScaleHigh), setting(kScaleLow) + 1)};
    return *sensorRange(setting(kInputType));
}

double SimController::tenthsToRaw(int v) const { return (oneDecimal() || linear()) ? v : v / 10.0; }

double SimController::ambient() const {
    const int t = setting(kInputType);
    const Range r = inputRange();
    double a;
    if (linear()) a = r.low + 0.03 * (r.high - r.low);
    else a = (isFahrenheitType(t) ? 77.0 : 25.0) * (oneDecimal() ? 10.0 : 1.0);
    return std::clamp<double>(a, r.low, r.high);
}

double SimController::heaterGain() const {
    return std::max(1.0, cfg_.heaterGainFraction * (inputRange().high - ambient()));
}

double SimController::noise() {
    // xorshift32: the same seed gives the same noise on every run.
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    return (rng_ / 4294967295.0) * 2.0 - 1.0;
}

void SimController::startPlant(bool settled) {
    const double amb = ambient();
    const double sv = setting(kSV);
    pvTrue_ = settled ? std::max(sv, amb) : amb;
    measured_ = pvTrue_;
    lastTrue_ = pvTrue_;
    dFilt_ = 0.0;
    integ_ = 0.0;
    heat_ = 0.0;
    cool_ = 0.0;
    if (settled && setting(kPB) > 0 && setting(kTi) > 0) {
        // Preload the integral with the power that holds PV at SV.
        const double need = std::clamp((pvTrue_ - amb) / heaterGain() * 100.0, 0.0, 100.0);
        const double pbRaw = std::max(1.0, (inputRange().high - inputRange().low) * setting(kPB) / 1000.0);
        integ_ = need * pbRaw / 100.0;
        heat_ = need;
    }
}

void SimController::startAutoTuning() {
    atRunning_ = true;
    atElapsedMs_ = 0;
    set_[kAT] = 1;
}

void SimController::finishAutoTuning() {
    atRunning_ = false;
    set_[kAT] = 0;
    const double span = std::max(1, inputRange().high - inputRange().low);
    const double vary = 0.9 + 0.2 * (noise() + 1.0) / 2.0;
    const auto pbMax = settingRange(kPB)->second;
    set_[kPB] = static_cast<qint16>(std::clamp<long>(std::lround(60.0 * heaterGain() / span * vary), 5, pbMax));
    const long ti = std::clamp<long>(std::lround(cfg_.timeConstantS * vary), 1, 1000);
    set_[kTi] = static_cast<qint16>(ti);
    set_[kTd] = static_cast<qint16>(std::clamp<long>(ti / 4, 0, 300));
}

void SimController::resetAlarms(bool rearmStandby) {
    for (auto& a : alarm_) {
        a.latched = false;
        a.on = false;
        a.pendingS = 0.0;
        if (rearmStandby) a.standby = true;
    }
}

void SimController::step(qint64 nowMs, int dtMs) {
    const double dt = dtMs / 1000.0;
    control(dt);
    outputs(nowMs);
    plant(nowMs, dt);
    measure(dt);
    alarms(dt);
    heaterAlarms();
    loopBreak(dt);
    if (atRunning_) {
        atElapsedMs_ += dtMs;
        if (atElapsedMs_ >= atDurationMs_) finishAutoTuning();
    }
}

void SimController::control(double dt) {
    const Range r = inputRange();
    const double span = std::max(1, r.high - r.low);
    const double sv = setting(kSV);
    const double pv = measured_;
    const bool direct = setting(kAction) != 0;
    const double e = direct ? pv - sv : sv - pv;
    const bool heatCool = cfg_.option & kOptHeatCool;
    const double outHigh = setting(kOutHigh), outLow = setting(kOutLow);
    const double coolHigh = setting(kCoolHigh), coolLow = setting(kCoolLow);

    double heat = outLow, cool = 0.0;
    if (setting(kOutput) == 0) {
        heat_ = 0.0;
        cool_ = 0.0;
        integ_ = 0.0;
        return;
    }
    if (over_ || under_) {
        const bool on = (cfg_.type & 0x18) == 0x10 && setting(kAbnormal) != 0;
        heat_ = on ? outHigh : std::max(0.0, outLow);
        cool_ = 0.0;
        return;
    }
    if (atRunning_) {
        // Auto-tuning: full output around SV minus the AT bias, which makes PV cycle.
        const double target = sv - (direct ? -1 : 1) * setting(kAtBias);
        const bool below = direct ? pv > target : pv < target;
        heat_ = below ? outHigh : outLow;
        cool_ = 0.0;
        return;
    }
    if (setting(kPB) == 0) {
        const double hyst = tenthsToRaw(setting(kHyst));
        if (e >= hyst) onOffState_ = true;
        if (e <= 0) onOffState_ = false;
        heat = onOffState_ ? outHigh : outLow;
        if (heatCool) cool = (-e >= tenthsToRaw(setting(kCoolHyst))) ? coolHigh : coolLow;
    } else {
        const double pbRaw = std::max(0.1, span * setting(kPB) / 1000.0);
        const double kp = 100.0 / pbRaw;
        const double ti = setting(kTi);
        const double td = setting(kTd);
        const double derivative = -kp * td * dFilt_ * (direct ? -1.0 : 1.0);
        double u = kp * e + std::clamp(derivative, -50.0, 50.0);
        if (ti > 0) {
            const double next = integ_ + e * dt / ti;
            const double uNext = u + kp * next;
            const bool windup = (uNext > outHigh && e > 0) || (uNext < (heatCool ? -coolHigh : outLow) && e < 0);
            if (!windup) integ_ = next;
            const double limit = setting(kArw) / kp;
            integ_ = std::clamp(integ_, -limit, limit);
            u += kp * integ_;
        } else {
            u += setting(kManualReset) / 10.0;
        }
        heat = u;
        if (heatCool && u < 0) {
            const double ratio = setting(kCoolPB) > 0 ? double(setting(kPB)) / setting(kCoolPB) : 0.0;
            const double db = tenthsToRaw(setting(kDeadBand)) * kp;
            cool = setting(kCoolPB) > 0 ? (-u - db) * ratio
                                        : ((-e >= tenthsToRaw(setting(kCoolHyst))) ? coolHigh : coolLow);
        }
    }
    heat_ = std::clamp(heat, outLow, outHigh);
    cool_ = heatCool ? std::clamp(cool, coolLow, coolHigh) : 0.0;
}

void SimController::outputs(qint64 nowMs) {
    // Relay outputs switch within their proportional cycle.
    auto timeProportional = [nowMs](double percent, int cycleS) {
        if (percent <= 0.0) return false;
        if (percent >= 100.0) return true;
        const qint64 cycle = std::max(1, cycleS) * 1000LL;
        return double(nowMs % cycle) < percent / 100.0 * double(cycle);
    };
    const bool onOff = setting(kPB) == 0 || atRunning_;
    mainOn_ = onOff ? heat_ > 0.0 : timeProportional(heat_, setting(kCycle));
    coolOn_ = onOff ? cool_ > 0.0 : timeProportional(cool_, setting(kCoolCycle));
}

void SimController::plant(qint64 nowMs, double dt) {
    // Heater power: each fitted heater carries its share; a burnt-out one none,
    // a shorted actuator keeps its heater on whatever the output does.
    const bool hb1 = cfg_.option & kOptHB1, hb2 = cfg_.option & kOptHB2;
    const int fitted = int(hb1) + int(hb2);
    double power = 0.0;
    const double demand = std::max(0.0, heat_) / 100.0;
    const HeaterFault faults[2] = {cfg_.heater1, cfg_.heater2};
    const bool has[2] = {hb1, hb2};
    for (int i = 0; i < 2; ++i) {
        double share = 0.0, amps = 0.0;
        if (has[i]) {
            switch (faults[i]) {
            case HeaterFault::None:
                share = demand;
                amps = mainOn_ ? cfg_.heaterCurrentA : 0.0;
                break;
            case HeaterFault::Burnout: break;
            case HeaterFault::ActuatorShort:
                share = 1.0;
                amps = cfg_.heaterCurrentA;
                break;
            }
            if (amps > 0) amps += 0.05 * noise();
            power += share / fitted;
        }
        current_[static_cast<std::size_t>(i)] = amps;
    }
    if (fitted == 0) power = demand;

    double loss = 0.0;
    if (cfg_.disturbancePeriodS > 0 && cfg_.disturbanceLengthS > 0) {
        const qint64 period = cfg_.disturbancePeriodS * 1000LL;
        const qint64 offset = (channel_ * 7919LL) % period;
        if ((nowMs + offset) % period < cfg_.disturbanceLengthS * 1000LL) loss = cfg_.disturbancePercent / 100.0;
    }
    const double gain = heaterGain();
    const double target = ambient() + gain * (power - loss) - 0.6 * gain * cool_ / 100.0;
    const double a = 1.0 - std::exp(-dt / std::max(1.0, cfg_.timeConstantS));
    lastTrue_ = pvTrue_;
    pvTrue_ += (target - pvTrue_) * a;
    const double slope = (pvTrue_ - lastTrue_) / dt;
    const double tf = std::max(1.0, setting(kTd) / 4.0);
    dFilt_ += (slope - dFilt_) * std::min(1.0, dt / tf);
}

void SimController::measure(double dt) {
    const Range r = inputRange();
    const double span = std::max(1, r.high - r.low);
    double raw;
    if (sensorBreak_) {
        raw = r.high + std::max(1.0, span / 20.0);
    } else {
        const double amp = oneDecimal() ? 1.5 : linear() ? std::max(0.5, span * 0.001) : 0.6;
        raw = pvTrue_ + tenthsToRaw(setting(kCorrection)) + amp * noise();
    }
    const double tf = setting(kFilter) / 10.0;
    measured_ = (tf > 0 && !sensorBreak_) ? measured_ + (raw - measured_) * dt / (tf + dt) : raw;
    const double margin = linear() ? span * 0.05 : 0.0;
    const double shown = std::round(measured_);
    over_ = shown > r.high + margin;
    under_ = shown < r.low - margin;
}

void SimController::alarms(double dt) {
    const double pv = measured_;
    const double sv = setting(kSV);
    const double dev = pv - sv;
    for (int i = 0; i < 4; ++i) {
        AlarmState& a = alarm_[static_cast<std::size_t>(i)];
        const int type = setting(kAlarmType[i]);
        if (!(cfg_.option & (1u << i)) || type < 1 || type > 9) {
            a = AlarmState{};
            continue;
        }
        const double value = setting(kAlarm1 + i);
        double m = 0.0;  // how far PV is inside the alarm zone
        switch (type) {
        case 1: case 7: m = dev - value; break;
        case 2: case 8: m = -value - dev; break;
        case 3: case 9: m = std::abs(dev) - value; break;
        case 4: m = value - std::abs(dev); break;
        case 5: m = pv - value; break;
        case 6: m = value - pv; break;
        }
        if (type >= 7 && a.standby) {
            // Standby: no alarm until PV has once been outside the alarm zone.
            if (m <= 0) a.standby = false;
            a.on = false;
            a.pendingS = 0.0;
            continue;
        }
        const double hyst = tenthsToRaw(setting(kAlarmHyst1 + i));
        const bool cond = a.on ? m > -hyst : m > 0;
        if (cond) {
            if (!a.on) {
                a.pendingS += dt;
                if (a.pendingS + 1e-9 >= setting(kAlarmDelay1 + i)) a.on = true;
            }
        } else {
            a.pendingS = 0.0;
            if (!a.latched) a.on = false;
        }
        if (a.on && setting(kHold[i]) != 0) a.latched = true;
    }
}

void SimController::heaterAlarms() {
    const qint16 limits[2] = {setting(kHB1), setting(kHB2)};
    const quint16 bits[2] = {kOptHB1, kOptHB2};
    for (std::size_t i = 0; i < 2; ++i) {
        if (!(cfg_.option & bits[i]) || limits[i] <= 0) {
            burnout_[i] = actShort_[i] = false;
            continue;
        }
        const double amps = current_[i] * 10.0;  // tenths, as the setting
        // Burnout is judged while the output is on, a shorted actuator while it is off.
        if (mainOn_) burnout_[i] = amps < limits[i];
        else actShort_[i] = amps >= limits[i];
    }
}

void SimController::loopBreak(double dt) {
    const int minutes = setting(kLbaTime);
    if (!(cfg_.option & kOptLoopBreak) || minutes <= 0 || setting(kOutput) == 0 || atRunning_) {
        loopBreak_ = false;
        lbaTimerS_ = 0.0;
        return;
    }
    const bool satHigh = heat_ >= setting(kOutHigh) && setting(kOutHigh) > setting(kOutLow);
    const bool satLow = heat_ <= setting(kOutLow) && setting(kOutHigh) > setting(kOutLow);
    if (!satHigh && !satLow) {
        lbaTimerS_ = 0.0;
        loopBreak_ = false;
        return;
    }
    if (lbaTimerS_ == 0.0) lbaStartPv_ = pvTrue_;
    lbaTimerS_ += dt;
    if (lbaTimerS_ >= minutes * 60.0) {
        const double moved = satHigh ? pvTrue_ - lbaStartPv_ : lbaStartPv_ - pvTrue_;
        // Saturated low while PV already sits at ambient is no fault of the loop.
        const bool stuck = moved < setting(kLbaSpan) && !(satLow && pvTrue_ <= ambient() + 1.0);
        loopBreak_ = stuck;
        lbaTimerS_ = 0.0;
    }
}

}  // namespace qvx::sim
