// The search dialog inside the main window: found devices reach the device
// list through DeviceCallback like announced ones, rejected addresses are
// listed in the dialog only.
#include "devicelistmodel.h"
#include "fleet.h"
#include "iplineedit.h"
#include "search.h"
#include "searchengine.h"
#include "tervix.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>

namespace {

class QuietTervix : public Tervix
{
protected:
    void showInformation(const QString &, const QString &) override { }
};

} // namespace

class TestSearchWindow : public QObject
{
    Q_OBJECT

private slots:
    void foundDevicesJoinTheDeviceList();
};

void TestSearchWindow::foundDevicesJoinTheDeviceList()
{
    // Addresses of this suite only: 127.0.22.100 and up.
    devsim::FleetOptions options;
    options.count = 4;
    options.firstAddress = QStringLiteral("127.0.22.101");
    options.port = 8000;
    options.discoveryPort = 0;
    options.seed = 21;
    options.passwords.insert(1, "another");
    devsim::Fleet fleet(options);
    QString error;
    QVERIFY2(fleet.start(&error), qPrintable(error));

    QuietTervix window;
    window.show();
    QVERIFY(window.searchEngine() != nullptr);
    auto *dialog = window.findChild<CSearch *>();
    QVERIFY(dialog != nullptr);
    dialog->show();
    dialog->findChild<CIpLineEdit *>(QStringLiteral("StartIPlineEdit"))
        ->setText(QStringLiteral("127.0.22.100"));
    dialog->findChild<QLineEdit *>(QStringLiteral("StopIPlineEdit"))
        ->setText(QStringLiteral("106"));
    QTest::mouseClick(
        dialog->findChild<QPushButton *>(QStringLiteral("pushButton")), Qt::LeftButton);
    QVERIFY(dialog->isSearching());

    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("listWidget"));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isSearching(), 15000);
    QTRY_COMPARE(list->item(list->count() - 1)->text(), QStringLiteral("Search Complete!"));
    QCOMPARE(list->item(0)->text(), QStringLiteral("Start Search!"));
    QStringList lines;
    for (int i = 1; i < list->count() - 1; ++i) {
        lines.append(list->item(i)->text());
    }
    lines.sort();
    QCOMPARE(lines,
        QStringList({ "Online Devices: 127.0.22.101",
            "Online Devices: 127.0.22.102(User Name or Password error)",
            "Online Devices: 127.0.22.103", "Online Devices: 127.0.22.104" }));
    QCOMPARE(window.searchEngine()->Done(), 7u);

    QStandardItemModel *model = window.deviceModel();
    const auto cell = [model](int row, const QString &header) {
        return model->index(row, DeviceList::FindColumn(model, header)).data().toString();
    };
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        rows.append(cell(row, DeviceList::IpHeader()) + QLatin1Char(':')
            + cell(row, DeviceList::PortHeader()));
    }
    rows.sort();
    QCOMPARE(rows, QStringList({ "127.0.22.101:8000", "127.0.22.103:8000", "127.0.22.104:8000" }));
    dialog->hide();
    window.close();
}

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
