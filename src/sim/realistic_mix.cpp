#include "realistic_mix.h"

namespace qvx::sim {

namespace {
// Item indexes used in the installer's settings below.
enum : int {
    SV = 10, PB = 12, CoolPB = 13, Ti = 14, Td = 15, AlarmValue1 = 19, AlarmValue2 = 20, HB1 = 23, LbaTime = 24,
    LbaSpan = 25, ScaleHigh = 29, ScaleLow = 30, Hyst = 34, AlarmType1 = 39, AlarmType2 = 40, Output = 49,
    Hold2 = 53, AlarmType3 = 58, AlarmType4 = 59, Abnormal = 63, HB2 = 62,
};

ChannelConfig zone(qint16 unit, qint16 inputType, qint16 sv) {
    ChannelConfig c;
    c.unitCode = unit;
    c.inputType = inputType;
    c.settings = {{SV, sv}};
    return c;
}

void deviationAlarms(ChannelConfig& c, qint16 high, qint16 low) {
    c.settings.insert(c.settings.end(), {{AlarmType1, 1}, {AlarmValue1, high}, {AlarmType2, 2}, {AlarmValue2, low}});
}
}  // namespace

ChannelConfig plainChannel(int ch) {
    ChannelConfig c = zone(1, 0, static_cast<qint16>(150 + (ch % 8) * 25));
    deviationAlarms(c, 20, 20);
    return c;
}

BankLayout realisticMix() {
    BankLayout m;

    // Unit 1, channels 0..23: a heat-treatment line.
    for (int ch = 0; ch <= 5; ++ch) {
        ChannelConfig c = zone(1, 0, static_cast<qint16>(150 + 25 * ch));
        deviationAlarms(c, 20, 20);
        if (ch >= 2) {
            c.option |= 0x20;  // heater current 1
            c.settings.push_back({HB1, 40});
        }
        m[ch] = c;
    }
    for (int ch : {6, 7}) {
        ChannelConfig c = zone(1, 0, 320);
        c.option |= 0x60;  // both heater currents
        c.settings.insert(c.settings.end(), {{HB1, 40}, {HB2, 40}});
        deviationAlarms(c, 25, 25);
        if (ch == 7) c.heater2 = HeaterFault::Burnout;
        m[ch] = c;
    }
    for (int ch = 8; ch <= 11; ++ch) {
        // Extruder barrel zones: heating and cooling, output limits -5..105 %.
        ChannelConfig c = zone(1, 0, static_cast<qint16>(200 + 10 * (ch - 8)));
        c.option = 0x10F;
        c.type = 0x10;
        c.settings.insert(c.settings.end(), {{CoolPB, 50}, {Abnormal, 0}});
        deviationAlarms(c, 15, 15);
        if (ch == 9) {
            c.disturbancePeriodS = 75;
            c.disturbanceLengthS = 15;
            c.disturbancePercent = -70;  // shear heat: the zone runs hot for a while
        }
        m[ch] = c;
    }
    {
        ChannelConfig c = zone(1, 11, 1205);  // Pt100 in tenths: 120.5 deg.C
        deviationAlarms(c, 50, 50);
        m[12] = c;
    }
    {
        ChannelConfig c = zone(1, 16, 3500);  // K in tenths of deg.F: 350.0
        deviationAlarms(c, 100, 100);
        m[13] = c;
    }
    {
        // 4-20 mA pressure transmitter scaled 0..5000 (the program shows 0.00..50.00).
        ChannelConfig c = zone(1, 30, 2500);
        c.settings.insert(c.settings.end(), {{ScaleHigh, 5000}, {ScaleLow, 0}, {SV, 2500}, {AlarmType1, 5},
                                             {AlarmValue1, 4000}, {AlarmType2, 6}, {AlarmValue2, 500}});
        c.timeConstantS = 15;
        c.heaterGainFraction = 0.8;
        m[14] = c;
    }
    {
        ChannelConfig c = zone(1, 0, 300);  // operated with its keys
        deviationAlarms(c, 20, 20);
        c.keyLocked = true;
        m[15] = c;
    }
    for (int ch : {16, 17}) {
        // Batch oven: the door opens every 90 s and PV sags.
        ChannelConfig c = zone(1, 0, 180);
        c.settings.insert(c.settings.end(),
                          {{AlarmType1, 3}, {AlarmValue1, 15}, {AlarmType2, 2}, {AlarmValue2, 25}, {Hold2, 1}});
        c.disturbancePeriodS = 90;
        c.disturbanceLengthS = 20;
        c.disturbancePercent = 90;
        m[ch] = c;
    }
    {
        ChannelConfig c = zone(1, 0, 260);  // alarm with standby
        c.settings.insert(c.settings.end(), {{AlarmType1, 9}, {AlarmValue1, 10}});
        c.disturbancePeriodS = 120;
        c.disturbanceLengthS = 25;
        c.disturbancePercent = 95;
        m[18] = c;
    }
    {
        ChannelConfig c = zone(1, 0, 120);  // ON/OFF control
        c.settings.insert(c.settings.end(), {{PB, 0}, {Hyst, 20}});
        deviationAlarms(c, 30, 30);
        m[19] = c;
    }
    {
        // A burnt-out heater: burnout alarm, then loop break after a minute at full output.
        ChannelConfig c = zone(1, 0, 220);
        c.option = 0x3F;
        c.settings.insert(c.settings.end(), {{HB1, 40}, {LbaTime, 1}, {LbaSpan, 5}});
        deviationAlarms(c, 20, 20);
        c.heater1 = HeaterFault::Burnout;
        m[20] = c;
    }
    {
        ChannelConfig c = zone(1, 0, 200);  // control output switched off
        c.settings.push_back({Output, 0});
        deviationAlarms(c, 20, 20);
        c.startSettled = false;
        m[21] = c;
    }
    {
        ChannelConfig c = zone(1, 0, 400);  // just switched on, warming up
        deviationAlarms(c, 20, 30);
        c.startSettled = false;
        c.timeConstantS = 90;
        m[22] = c;
    }
    {
        ChannelConfig c = zone(1, 0, 250);  // open thermocouple
        c.sensorBreak = true;
        m[23] = c;
    }

    // Unit 2, channels 40..47: Pt100 baths (two chilled) and J-type dryers.
    for (int ch = 40; ch <= 43; ++ch) {
        ChannelConfig c = zone(2, 13, static_cast<qint16>(ch < 42 ? 60 + 10 * (ch - 40) : 12));
        c.option = 0x103;
        c.extension = 0x0600;
        c.settings.insert(c.settings.end(), {{AlarmType1, 3}, {AlarmValue1, 5}, {CoolPB, 40}});
        c.timeConstantS = 60;
        m[ch] = c;
    }
    for (int ch = 44; ch <= 47; ++ch) {
        ChannelConfig c = zone(2, 2, 250);
        c.extension = 0x0400;
        if (ch == 47) {
            c.settings.insert(c.settings.end(), {{AlarmType3, 5}, {21, 255}, {AlarmType4, 6}, {22, 245}});
        } else {
            deviationAlarms(c, 10, 10);
        }
        if (ch == 46) {
            c.disturbancePeriodS = 60;
            c.disturbanceLengthS = 10;
            c.disturbancePercent = 75;
        }
        m[ch] = c;
    }

    // Unit 3, channels 80..84: R-type furnaces, two alarms fitted.
    for (int ch = 80; ch <= 84; ++ch) {
        ChannelConfig c = zone(3, 3, static_cast<qint16>(1000 + 50 * (ch - 80)));
        c.option = 0x0003;
        c.type = 0x10;
        c.extension = 0x0A5F;  // only bit 0x200 of this means anything
        c.timeConstantS = 120;
        c.heaterGainFraction = 0.85;
        c.settings.insert(c.settings.end(), {{Ti, 240}, {Td, 60}, {Abnormal, 1}});
        deviationAlarms(c, 30, 30);
        if (ch == 84) {
            c.option |= 0xA0;  // heater current 1, small current range
            c.settings.push_back({HB1, 150});
            c.heaterCurrentA = 18.0;
        }
        m[ch] = c;
    }
    return m;
}

void populate(ControllerBank& bank, const BankLayout& layout) {
    for (int ch = 0; ch < kBankChannels; ++ch) {
        if (layout[static_cast<std::size_t>(ch)]) bank.setChannel(ch, *layout[static_cast<std::size_t>(ch)]);
        else bank.removeChannel(ch);
    }
}

std::shared_ptr<ControllerBank> makeRealisticBank(std::shared_ptr<Clock> clock) {
    auto bank = std::make_shared<ControllerBank>(std::move(clock));
    populate(*bank, realisticMix());
    return bank;
}

QVX720Com::LineFactory realisticSimulatedLine(SimLineOptions options) {
    return simulatedLine(makeRealisticBank(), options);
}

}  // namespace qvx::sim
