#include "DemoPlant.h"
#include "DemoPictures.h"

#include "acquisition/PointModel.h"
#include "common/Errors.h"
#include "platform/Prompt.h"
#include "store/Database.h"
#include "store/StoreSetup.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace scadactl {

using namespace scada;

namespace {

struct AnalogChannel {
    const char *name;
    const char *property;
    const char *unitText;
    double a; // engineering value = raw * a / 10 + b
    double b;
    QJsonValue generator;
};

struct DemoUnit {
    const char *name;
    const char *describe;
    int address;
    int size; // 0 = 10 channels, 1 = 20 channels
    int mark;
    const char *phone;
    QList<AnalogChannel> analog; // channels 0.. used as analog inputs
    QStringList digitalNames;    // names of the remaining channels, in order
    int byte5, byte6, outputs;
    QJsonArray toggles;
    QJsonArray program;
    std::vector<TBlockRec> blocks;
    bool split = false;
};

QJsonArray ramp(int from, int to, int step) { return {from, to, step}; }
QJsonObject sine(int mid, int amplitude, int period) { return {{"sine", QJsonArray{mid, amplitude, period}}}; }
QJsonObject rampGen(int from, int to, int step) { return {{"ramp", ramp(from, to, step)}}; }
QJsonObject toggle(int byte, int bit, int every) { return {{"byte", byte}, {"bit", bit}, {"every", every}}; }
QJsonObject record(int type, QList<int> data)
{
    QJsonArray d;
    for (int v : data)
        d.append(v);
    return {{"type", type}, {"data", d}};
}

QList<DemoUnit> demoUnits()
{
    QList<DemoUnit> units;
    // A 20-channel intake station: flow, level and pressure, pumps as outputs.
    units.append({"Intake", "River intake and screens", 1, 1, 1, "5550101",
                  {{"Flow", "m3/h", "m3/h", 40.0, 0.0, sine(140, 90, 90)},
                   {"Level", "River", "m", 1.0, 0.0, sine(120, 40, 160)},
                   {"Pressure", "Header", "bar", 0.5, 0.0, sine(100, 20, 60)},
                   {"Turbidity", "Raw", "NTU", 2.0, 0.0, rampGen(20, 180, 3)}},
                  {"ScreenRun", "ScreenFault", "GateOpen", "GateShut", "LevelHigh", "LevelLow", "PowerOK",
                   "DoorOpen", "Pump1", "Pump2", "Pump3", "Pump4", "Valve1", "Valve2", "Screen", "Lights"},
                  0x50, 0x04, 0x05,
                  QJsonArray{toggle(5, 5, 23), toggle(5, 6, 41), toggle(5, 7, 41), toggle(19, 2, 57)},
                  QJsonArray{record(7, {0, 0, 0, 0, 4, 0, 0x50}), record(14, {0, 0, 0, 0, 0, 0x12, 0x34}),
                             record(17, {0, 0, 0, 0, 0, 0x57, 0})},
                  {{7, 0, 4.0f, 50}, {14, 1, 0.0f, 1234}, {17, 2, 0.0f, 57}}});
    // Two 10-channel pump stations.
    units.append({"PumpA", "Booster pump A", 2, 0, 1, "5550102",
                  {{"Current", "Motor", "A", 2.0, 0.0, sine(90, 30, 70)},
                   {"Speed", "Motor", "rpm", 120.0, 0.0, sine(120, 10, 45)}},
                  {"Running", "Tripped", "Auto", "Remote", "Start", "Stop", "Lamp", "Spare"}, 0x14, 0, 0x01,
                  QJsonArray{toggle(5, 3, 31)}, QJsonArray{record(8, {0, 0, 0, 0, 2, 0, 0x30})},
                  {{8, 0, 2.0f, 30}}});
    units.append({"PumpB", "Booster pump B", 3, 0, 1, "5550103",
                  {{"Current", "Motor", "A", 2.0, 0.0, sine(70, 25, 55)},
                   {"Speed", "Motor", "rpm", 120.0, 0.0, sine(110, 12, 50)}},
                  {"Running", "Tripped", "Auto", "Remote", "Start", "Stop", "Lamp", "Spare"}, 0x10, 0, 0x00,
                  QJsonArray{toggle(5, 2, 47)}, QJsonArray{}, {}});
    // The reservoir: 20 channels, a level that fills and empties.
    units.append({"Reservoir", "Clear water reservoir", 4, 1, 1, "5550104",
                  {{"Level", "Tank", "m", 0.5, 0.0, rampGen(20, 230, 2)},
                   {"Chlorine", "Residual", "mg/l", 0.1, 0.0, sine(80, 20, 120)},
                   {"Temp", "Water", "C", 1.0, -5.0, sine(180, 10, 300)},
                   {"Outflow", "Main", "m3/h", 20.0, 0.0, sine(150, 60, 80)},
                   {"Inflow", "Main", "m3/h", 20.0, 0.0, sine(140, 50, 95)},
                   {"pH", "Water", "pH", 0.5, 0.0, sine(150, 6, 200)}},
                  {"Overflow", "LowLevel", "InletOpen", "OutletOpen", "Intruder", "PowerOK", "Inlet", "Outlet",
                   "Dosing", "Mixer", "Lights", "Heater", "Siren", "Spare"},
                  0x00, 0x0B, 0x03, QJsonArray{toggle(5, 6, 37), toggle(5, 7, 53)},
                  QJsonArray{record(15, {0, 0, 0, 0, 0, 0x09, 0x99}), record(17, {0, 0, 0, 0, 0, 0x21, 0})},
                  {{15, 0, 0.0f, 999}, {17, 1, 0.0f, 21}},
                  true});
    // A feeder that is configured but not polled (mark 0).
    units.append({"Feeder", "Spare feeder (out of service)", 5, 1, 0, "5550105",
                  {{"Voltage", "Bus", "kV", 0.5, 0.0, 200}},
                  {"Breaker", "Earth", "Trip", "Local"}, 0x02, 0, 0, QJsonArray{}, QJsonArray{}, {}});
    // A substation that falls silent at times (the demo script silences it).
    units.append({"Substation", "11 kV substation", 6, 0, 1, "5550106",
                  {{"Voltage", "Bus", "kV", 0.5, 0.0, sine(220, 4, 60)},
                   {"Load", "Feeder", "MW", 0.2, 0.0, sine(120, 50, 110)},
                   {"Freq", "Bus", "Hz", 0.2, 20.0, sine(150, 1, 35)}},
                  {"CB1Closed", "CB2Closed", "Fault", "Trip1", "Trip2", "Close1", "Close2"}, 0x18, 0, 0x02,
                  QJsonArray{toggle(5, 5, 29)}, QJsonArray{}, {}});
    return units;
}

} // namespace

DemoPlantResult WriteDemoPlant(const QString &dir)
{
    DemoPlantResult result;
    QDir plant(dir);
    if (!plant.mkpath(QStringLiteral("Table"))) {
        result.error = QStringLiteral("cannot create %1/Table").arg(dir);
        return result;
    }
    QFile::remove(plant.filePath(QStringLiteral("Table/DuvUrovuDe.sqlite")));
    QFile::remove(plant.filePath(QStringLiteral("Table/DuvUrovuDe.sqlite-wal")));
    QFile::remove(plant.filePath(QStringLiteral("Table/DuvUrovuDe.sqlite-shm")));

    FakePrompt prompt;
    Database db(dir);
    try {
        if (!CreateDataBase(db, prompt)) {
            result.error = prompt.lastText();
            return result;
        }
        const QString station = QStringLiteral("Riverside");
        Transaction tx(db);
        db.insert(QStringLiteral("MainTable"), {{"Station", station},
                                                {"QuDong", "COM1"},
                                                {"Type", 0},
                                                {"CommNo", 0},
                                                {"Voltage", 400},
                                                {"SaveTime", 60},
                                                {"UseModem", false}});
        const QList<DemoUnit> units = demoUnits();
        int ycIndex = 0, ymIndex = 0;
        QJsonArray simUnits;
        std::vector<TBlocks> blockLists;
        for (const DemoUnit &u : units) {
            const int channels = u.size == 1 ? 20 : 10;
            db.insert(QStringLiteral("FtuTable"), {{"Station", station},
                                                   {"FtuName", u.name},
                                                   {"Describe", u.describe},
                                                   {"Mark", u.mark},
                                                   {"FtuAddress", u.address},
                                                   {"FtuType", u.size},
                                                   {"ProtocolType", 0},
                                                   {"YcNum", 0},
                                                   {"YxNum", 0},
                                                   {"DdNum", 0},
                                                   {"Enabled", true},
                                                   {"PhoneCode", u.phone},
                                                   {"PassWord", "4826"}});
            uint16_t mask = 0;
            QJsonArray generators;
            int digital = 0;
            for (int ch = 0; ch < channels; ++ch) {
                const bool analog = ch < u.analog.size();
                const QString flag = analog ? QStringLiteral("Yc") : QStringLiteral("Yx");
                QString name = analog ? QString::fromLatin1(u.analog[ch].name)
                                      : (digital < u.digitalNames.size() ? u.digitalNames[digital]
                                                                         : QStringLiteral("Digital%1").arg(ch + 1));
                if (!analog)
                    ++digital;
                const int index = ycIndex + ch + 1;
                QVariantMap yc{{"Index", index},
                               {"OffIndex", ch + 1},
                               {"Station", station},
                               {"FtuName", u.name},
                               {"Point", analog ? name : QStringLiteral("Analog%1").arg(ch + 1)},
                               {"Quotiety", 2.0},
                               {"Quotiety_A", analog ? u.analog[ch].a : 1.0},
                               {"Quotiety_B", analog ? u.analog[ch].b : 0.0},
                               {"AlarmLowLimit", 0.0},
                               {"AlarmUpLimit", 200.0},
                               {"HeGeUpLimit", 1000.0},
                               {"Calculate", false},
                               {"YxYcFlag", flag}};
                if (analog) {
                    yc.insert("Property", u.analog[ch].property);
                    yc.insert("Unit", u.analog[ch].unitText);
                    mask |= uint16_t(1u << ch);
                    generators.append(u.analog[ch].generator);
                }
                db.insert(QStringLiteral("YcTable"), yc);
                db.insert(QStringLiteral("YxTable"), {{"Index", index},
                                                      {"OffIndex", ch + 1},
                                                      {"Station", station},
                                                      {"FtuName", u.name},
                                                      {"Point", name},
                                                      {"Property", analog ? QString::fromLatin1(u.analog[ch].property)
                                                                          : QString()},
                                                      {"AlarmLevel", 0},
                                                      {"AlarmEnabled", true},
                                                      {"ControlEnabled", true},
                                                      {"NormalColor", 65280},
                                                      {"AlarmColor", 255},
                                                      {"AlarmKind", 2},
                                                      {"TouchKind", 0},
                                                      {"SoundEnabled", true},
                                                      {"SoundOnAddress", 0},
                                                      {"SoundOffAddress", 1},
                                                      {"SaveDays", 30},
                                                      {"YxYcFlag", flag}});
            }
            ycIndex += channels;
            for (int p = 1; p <= 5; ++p) {
                db.insert(QStringLiteral("YmTable"), {{"Index", ++ymIndex},
                                                      {"OffIndex", p},
                                                      {"Station", station},
                                                      {"FtuName", u.name},
                                                      {"Point", QStringLiteral("Pulse%1").arg(p)},
                                                      {"Quotiety", 1.0}});
            }
            blockLists.push_back(u.blocks);
            // Units beyond analog channel 11 are not read by the station; the
            // simulator takes the mask of its first 16 channels.
            QJsonObject sim{{"address", u.address},
                            {"size", u.size},
                            {"analogMask", int(mask)},
                            {"analog", generators},
                            {"byte5", u.byte5},
                            {"byte6", u.byte6},
                            {"outputs", u.outputs},
                            {"toggles", u.toggles},
                            {"program", u.program}};
            if (u.split)
                sim.insert("split", true);
            simUnits.append(sim);
        }
        tx.commit();

        QSaveFile blocks(plant.filePath(QStringLiteral("Blocks.inf")));
        if (!blocks.open(QIODevice::WriteOnly) || blocks.write(EncodeBlocksFile(blockLists)) < 0 || !blocks.commit()) {
            result.error = QStringLiteral("cannot write Blocks.inf");
            return result;
        }
        result.simulatorPlant = plant.filePath(QStringLiteral("qelsim-plant.json"));
        QSaveFile sim(result.simulatorPlant);
        const QJsonDocument doc(QJsonObject{{"replyDelayMs", 15}, {"units", simUnits}});
        if (!sim.open(QIODevice::WriteOnly) || sim.write(doc.toJson()) < 0 || !sim.commit()) {
            result.error = QStringLiteral("cannot write %1").arg(result.simulatorPlant);
            return result;
        }
    } catch (const ScadaError &e) {
        result.error = e.message();
        return result;
    }
    if (!WriteDemoPictures(dir, &result.error))
        return result;
    result.ok = true;
    return result;
}

} // namespace scadactl
