#pragma once
// The simulated units of a JSON plant behind a real pty that ComPorts.ini of
// the plant folder maps to COM1; every frame the units receive is kept.

#include "QelSimulator.h"
#include "SimLine.h"
#include "SimPlant.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

struct SimBench {
    SimBench(const char *plantJson, const QString &dir)
    {
        QString error;
        EXPECT_TRUE(qelsim::SimPlant::fromJson(plantJson, &plant, &error)) << error.toStdString();
        sim = std::make_unique<qelsim::QelSimulator>(plant);
        EXPECT_TRUE(line.openPty()) << line.errorString().toStdString();
        EXPECT_TRUE(qelsim::SimLine::writeComPorts(dir, 1, line.slavePath(), &error)) << error.toStdString();
        QObject::connect(&line, &qelsim::SimLine::received, sim.get(), &qelsim::QelSimulator::receive);
        QObject::connect(sim.get(), &qelsim::QelSimulator::transmit, &line, [this](const QByteArray &b) { line.write(b); });
        QObject::connect(sim.get(), &qelsim::QelSimulator::frameReceived, [this](const QByteArray &f) { frames << f; });
    }
    int countCode(uint8_t code) const
    {
        return int(std::count_if(frames.begin(), frames.end(), [code](const QByteArray &f) { return uint8_t(f[2]) == code; }));
    }

    qelsim::SimPlant plant;
    std::unique_ptr<qelsim::QelSimulator> sim;
    qelsim::SimLine line;
    QList<QByteArray> frames;
};
