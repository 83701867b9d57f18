#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

// Every page of the manual, English and Chinese, links only to files that
// ship with it: a renamed picture or page breaks the test, not the manual.
class TestHelpLinks : public QObject
{
    Q_OBJECT

private slots:
    void everyLinkReachesAFileOfTheManual_data();
    void everyLinkReachesAFileOfTheManual();
    void bothManualsHaveAnIndex();
};

namespace {

QString helpFolder()
{
    return QDir::cleanPath(QStringLiteral(TERVIX_HELP_SOURCE_DIR));
}

QStringList helpPages()
{
    QStringList pages;
    QDirIterator it(
        helpFolder(), { QStringLiteral("*.html") }, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        pages << it.next();
    }
    pages.sort();
    return pages;
}

} // namespace

void TestHelpLinks::everyLinkReachesAFileOfTheManual_data()
{
    QTest::addColumn<QString>("page");
    const QStringList pages = helpPages();
    QVERIFY(!pages.isEmpty());
    const QDir root(helpFolder());
    for (const QString &page : pages) {
        QTest::newRow(qPrintable(root.relativeFilePath(page))) << page;
    }
}

void TestHelpLinks::everyLinkReachesAFileOfTheManual()
{
    QFETCH(QString, page);
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QVERIFY2(html.contains(QLatin1String("<meta charset=\"utf-8\">")), "a page says its encoding");

    // The pages are written by hand with double-quoted attributes.
    static const QRegularExpression link(QStringLiteral("\\b(?:href|src)\\s*=\\s*\"([^\"]*)\""),
        QRegularExpression::CaseInsensitiveOption);
    const QDir here = QFileInfo(page).absoluteDir();
    const QString root = helpFolder() + QLatin1Char('/');
    int links = 0;
    for (auto match = link.globalMatch(html); match.hasNext();) {
        const QString target = match.next().captured(1);
        ++links;
        const QUrl url(target);
        // The manual is read offline: nothing may come from elsewhere.
        QVERIFY2(url.scheme().isEmpty(), qPrintable(target));
        const QString path = url.path();
        QString resolved = page;
        if (!path.isEmpty()) {
            QVERIFY2(!path.startsWith(QLatin1Char('/')), qPrintable(target));
            resolved = QDir::cleanPath(here.absoluteFilePath(path));
            QVERIFY2(resolved.startsWith(root), qPrintable(target + " leaves the manual"));
            QVERIFY2(QFileInfo(resolved).isFile(), qPrintable(target + " is missing"));
        }
        // A task linked from another page must still carry its anchor.
        if (url.hasFragment()) {
            QFile linked(resolved);
            QVERIFY(linked.open(QIODevice::ReadOnly));
            const QString anchor = QStringLiteral("id=\"%1\"").arg(url.fragment());
            QVERIFY2(QString::fromUtf8(linked.readAll()).contains(anchor),
                qPrintable(target + " names no anchor of its page"));
        }
    }
    QVERIFY2(links > 0, "a page with no link is reached from nowhere and leads nowhere");
}

void TestHelpLinks::bothManualsHaveAnIndex()
{
    const QDir root(helpFolder());
    QVERIFY(QFileInfo(root.filePath(QStringLiteral("index.html"))).isFile());
    QVERIFY(QFileInfo(root.filePath(QStringLiteral("zh_CN/index.html"))).isFile());
}

QTEST_GUILESS_MAIN(TestHelpLinks)
#include "tst_helplinks.moc"
