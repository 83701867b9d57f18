#include "faults.h"

#include "solvane_protocol.h"
#include "solvane_records.h"

#include <algorithm>

namespace devsim {

QByteArray Fault::paddedAbility(const QByteArray &text, int maxSize) const
{
    if (text.isEmpty() || text.size() >= abilityMinSize) {
        return text;
    }
    // A comment after the root element keeps the document valid.
    const QByteArray open = "\n<!--";
    const QByteArray close = "-->";
    const int fill
        = std::min(abilityMinSize, maxSize) - int(text.size() + open.size() + close.size());
    if (fill <= 0) {
        return text;
    }
    return text + open + QByteArray(fill, 'x') + close;
}

bool applyFaultWord(Fault &fault, const QString &word, QString *error)
{
    const QString key = word.section(QLatin1Char('='), 0, 0).trimmed();
    const QString value = word.section(QLatin1Char('='), 1).trimmed();
    bool ok = true;
    const int number = value.isEmpty() ? 0 : value.toInt(&ok);
    const bool needsNumber = key != QLatin1String("never-return")
        && key != QLatin1String("ptz-unsupported") && key != QLatin1String("reboot-unsupported")
        && key != QLatin1String("restore-unsupported") && key != QLatin1String("upgrade-fail");
    if (needsNumber && (value.isEmpty() || !ok || number < 0)) {
        if (error) {
            *error = QStringLiteral("fault '%1' needs a number").arg(word);
        }
        return false;
    }
    if (key == QLatin1String("refuse-set")) {
        fault.refusedSets.insert(SOLV_RecordGetCommand(quint32(number)));
    } else if (key == QLatin1String("unsupported")) {
        fault.unsupportedCommands.insert(quint32(number));
    } else if (key == QLatin1String("unsupported-ability")) {
        fault.unsupportedAbilities.insert(quint32(number));
    } else if (key == QLatin1String("ptz-unsupported")) {
        fault.ptzUnsupported = true;
    } else if (key == QLatin1String("reboot-unsupported")) {
        fault.rebootUnsupported = true;
    } else if (key == QLatin1String("restore-unsupported")) {
        fault.restoreUnsupported = true;
    } else if (key == QLatin1String("delay")) {
        fault.delayMs = number;
    } else if (key == QLatin1String("drop-after")) {
        fault.dropAfterFrames = number;
    } else if (key == QLatin1String("ability-size")) {
        if (number > int(solvane::proto::MaxText)) {
            if (error) {
                *error = QStringLiteral("fault '%1': an ability text holds at most %2 bytes")
                             .arg(word)
                             .arg(solvane::proto::MaxText);
            }
            return false;
        }
        fault.abilityMinSize = number;
    } else if (key == QLatin1String("max-sessions")) {
        fault.maxSessions = number;
    } else if (key == QLatin1String("never-return")) {
        fault.neverReturn = true;
    } else if (key == QLatin1String("upgrade-fail")) {
        fault.upgradeWriteFails = true;
    } else if (key == QLatin1String("upgrade-stall")) {
        fault.upgradeStallPercent = number;
    } else if (key == QLatin1String("upgrade-drop")) {
        fault.upgradeDropPercent = number;
    } else if (key == QLatin1String("stream-stall")) {
        fault.streamStallPictures = number;
    } else if (key == QLatin1String("stream-drop")) {
        fault.streamDropPictures = number;
    } else {
        if (error) {
            *error = QStringLiteral("unknown fault '%1'").arg(word);
        }
        return false;
    }
    return true;
}

} // namespace devsim
