// What the page suites share: simulated cameras with the SDK up, pages that
// record their message boxes, input by object name, and a camera's records.
#pragma once

#include "devicesdk.h"
#include "fakeservices.h"
#include "recordchanges.h"
#include "sdkruntime.h"
#include "simfleet.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>

namespace configtest {

// The SDK and the cameras from `first` on, without discovery, for one suite;
// `fleet` is null, with a warning, when they cannot listen.
class Site
{
public:
    Site(const char *first, quint16 port, int count = 1, double timeScale = 1.0, int ptzCount = 20)
        : fleet(startFleet(QLatin1String(first), port, count, timeScale,
            [ptzCount](devsim::FleetOptions &options) { options.ptzCount = ptzCount; }))
    { }

    std::unique_ptr<SdkLogin> login(int camera) const
    {
        return std::make_unique<SdkLogin>(fleet->address(camera).toLatin1(), fleet->options().port,
            QByteArray("admin"), QByteArray("60917"));
    }
    // Until the next clearFault(): sets of these records fail, reads of
    // those are not supported.
    void fail(int camera, const QSet<quint32> &refusedSets, const QSet<quint32> &unreadable = {})
    {
        devsim::Fault fault;
        fault.refusedSets = refusedSets;
        fault.unsupportedCommands = unreadable;
        fleet->setFault(camera, fault);
    }

    SdkRuntime sdk; // outlives the cameras
    std::unique_ptr<devsim::Fleet> fleet;
};

template<typename Widget = QWidget> Widget *child(const QObject &parent, const char *name)
{
    Widget *widget = parent.findChild<Widget *>(QLatin1String(name));
    if (widget == nullptr) {
        qFatal("no widget %s", name);
    }
    return widget;
}

// Records its message boxes instead of showing them.
template<typename Page> class Recording : public Page
{
public:
    QStringList boxes; // "title|text"

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
};

// One user action: a widget by object name and what it is given, by its
// kind: text, value (spin box, slider), index, tick (clicked, as a user
// would), "hh:mm", or for a table { row, column, text }.
struct Step
{
    const char *widget;
    QVariant value;
};
using Steps = QList<Step>;

inline void apply(QWidget &page, const Steps &steps)
{
    for (const Step &step : steps) {
        QWidget *widget = child(page, step.widget);
        if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            edit->setText(step.value.toString());
        } else if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
            spin->setValue(step.value.toInt());
        } else if (auto *slider = qobject_cast<QAbstractSlider *>(widget)) {
            slider->setValue(step.value.toInt());
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            combo->setCurrentIndex(step.value.toInt());
        } else if (auto *time = qobject_cast<QTimeEdit *>(widget)) {
            time->setTime(QTime::fromString(step.value.toString()));
        } else if (auto *box = qobject_cast<QCheckBox *>(widget)) {
            if (box->isChecked() != step.value.toBool()) {
                box->click();
            }
        } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
            if (group->isChecked() != step.value.toBool()) {
                QTest::keyClick(group, Qt::Key_Space);
            }
        } else if (auto *table = qobject_cast<QTableWidget *>(widget)) {
            const QVariantList cell = step.value.toList();
            table->item(cell.at(0).toInt(), cell.at(1).toInt())->setText(cell.at(2).toString());
        }
    }
}

inline Snapshot snapshot(const devsim::Fleet &fleet, int camera, const QStringList &types)
{
    Snapshot records;
    for (const QString &name : types) {
        records[name] = fleet.record(camera, findRecordType(name)->getCommand);
    }
    return records;
}

inline void store(devsim::Fleet &fleet, int camera, const Snapshot &records)
{
    for (auto it = records.begin(); it != records.end(); ++it) {
        fleet.setRecord(camera, findRecordType(it.key())->getCommand, it.value());
    }
}

} // namespace configtest

Q_DECLARE_METATYPE(configtest::Steps)
