// The simulated Hayes modem in front of the units, in-process.

#include "HayesModem.h"

#include "acquisition/Frames.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

using namespace qelsim;

namespace {

SimPlant twoUnits()
{
    SimPlant p;
    QString error;
    EXPECT_TRUE(SimPlant::fromJson(R"({"replyDelayMs": 0, "modem": {"connectDelayMs": 20, "guardMs": 100},
        "units": [{"address": 1, "byte5": 1, "phone": "100"}, {"address": 2, "byte5": 2, "phone": "200"}]})",
                                   &p, &error))
        << error.toStdString();
    return p;
}

struct Rig {
    Rig() : sim(twoUnits()), modem(sim, sim.plant().modem)
    {
        QObject::connect(&modem, &HayesModem::transmit, [this](const QByteArray &b) { line += b; });
    }
    QByteArray take()
    {
        QByteArray out = line;
        line.clear();
        return out;
    }
    QelSimulator sim;
    HayesModem modem;
    QByteArray line;
};

QByteArray poll(uint8_t address) { return scada::toBytes(scada::BuildReadDataFrame(address, true)); }

} // namespace

TEST(HayesModem, CommandsAreEchoedAndAnswered)
{
    Rig r;
    const std::pair<const char *, const char *> cases[] = {
        {"AT\r", "AT\r\r\nOK\r\n"},
        {"ATH0\r", "ATH0\r\r\nOK\r\n"},
        {"hello\r", "hello\r\r\nERROR\r\n"},
        {"ATE0\r", "ATE0\r\r\nOK\r\n"},
        {"AT\r", "\r\nOK\r\n"}, // echo now off
    };
    for (auto [in, expected] : cases) {
        r.modem.receive(in);
        EXPECT_EQ(r.take(), QByteArray(expected)) << in;
    }
    // A poll in command mode reaches no unit.
    r.modem.receive(poll(1));
    QCoreApplication::processEvents();
    EXPECT_EQ(r.take(), QByteArray());
}

TEST(HayesModem, DialConnectsToTheUnitWithThatNumberOnly)
{
    Rig r;
    r.modem.receive("ATX2DT999\r");
    ASSERT_TRUE(waitFor([&] { return r.line.contains("NO CARRIER"); }, 2000));
    EXPECT_EQ(r.take(), QByteArray("ATX2DT999\r\r\nNO CARRIER\r\n"));

    r.modem.receive("ATX2DT200\r");
    EXPECT_EQ(r.modem.state(), HayesModem::State::Dialling);
    ASSERT_TRUE(waitFor([&] { return r.line.contains("CONNECT"); }, 2000));
    EXPECT_EQ(r.take(), QByteArray("ATX2DT200\r\r\nCONNECT 9600\r\n"));
    EXPECT_EQ(r.modem.calledUnit(), 2);

    r.modem.receive(poll(1)); // not the called unit
    r.modem.receive(poll(2));
    ASSERT_TRUE(waitFor([&] { return r.line.size() >= 26; }, 2000));
    QCoreApplication::processEvents();
    ASSERT_EQ(r.line.size(), 26);
    EXPECT_EQ(uint8_t(r.line[1]), 2);
    EXPECT_EQ(uint8_t(r.line[5]), 2);
}

TEST(HayesModem, EscapeNeedsGuardTimeThenHangUp)
{
    Rig r;
    r.modem.receive("ATDT100\r");
    ASSERT_TRUE(waitFor([&] { return r.modem.state() == HayesModem::State::Online; }, 2000));
    r.take();

    // "+++" right after data, or followed by data, is data.
    r.modem.receive(poll(1) + "+++");
    r.modem.receive("+++");
    r.modem.receive("x");
    QDeadlineTimer settle(250);
    waitFor([&] { return settle.hasExpired(); }, 1000);
    EXPECT_EQ(r.modem.state(), HayesModem::State::Online);
    r.take();

    // Quiet, "+++" in single bytes, quiet: command mode.
    r.modem.receive("+");
    r.modem.receive("+");
    r.modem.receive("+");
    ASSERT_TRUE(waitFor([&] { return r.modem.state() == HayesModem::State::OnlineCommand; }, 2000));
    EXPECT_EQ(r.take(), QByteArray("\r\nOK\r\n"));
    r.modem.receive("ATH0\r");
    EXPECT_EQ(r.modem.state(), HayesModem::State::Command);
    EXPECT_EQ(r.modem.calledUnit(), -1);
    EXPECT_EQ(r.take(), QByteArray("ATH0\r\r\nOK\r\n"));
    r.modem.receive(poll(1));
    QCoreApplication::processEvents();
    EXPECT_EQ(r.take(), poll(1)) << "after the hang-up the modem echoes and no unit answers";
}
