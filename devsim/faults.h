#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

namespace devsim {

// Misbehaviour a camera can be told to show, for tests and demonstrations.
// The members say what to do; the functions are the decisions the camera and
// its sessions ask for, so that a rule is read in one place.
struct Fault
{
    QSet<quint32> refusedSets; // record commands (get or set number) whose sets fail
    QSet<quint32> unsupportedCommands; // config commands answered with "not supported"
    QSet<quint32> unsupportedAbilities; // ability types answered with "not supported"
    bool ptzUnsupported = false;
    bool rebootUnsupported = false;
    bool restoreUnsupported = false;
    int delayMs = 0; // every frame the camera sends waits this long (times the time scale)
    int dropAfterFrames = -1; // the connection is closed when frame N + 1 arrives; -1 never
    int abilityMinSize = 0; // ability texts are padded to at least this many bytes
    QByteArray deviceAbility; // replaces the device description (ability type 6) when set
    int maxSessions = -1; // connections served at once; -1 the camera's default
    bool neverReturn = false; // stays offline after a reboot
    // Firmware uploads: a complete, correct image that cannot be written
    // (state 3); a device that stops answering, or drops the upload
    // connection, once this percentage of the image has arrived (-1 never).
    bool upgradeWriteFails = false;
    int upgradeStallPercent = -1;
    int upgradeDropPercent = -1;
    // Live streams: after this many pictures the camera falls silent on a
    // stream connection, or closes it (-1 never).
    int streamStallPictures = -1;
    int streamDropPictures = -1;

    bool operator==(const Fault &) const = default;

    bool refusesSet(quint32 getCommand) const { return refusedSets.contains(getCommand); }
    bool supportsConfig(quint32 command) const { return !unsupportedCommands.contains(command); }
    bool supportsAbility(quint32 type) const { return !unsupportedAbilities.contains(type); }
    // frameNumber counts the frames received on one connection, from 1.
    bool dropsAt(int frameNumber) const
    {
        return dropAfterFrames >= 0 && frameNumber > dropAfterFrames;
    }
    bool stallsUpgradeAt(quint32 percent) const
    {
        return upgradeStallPercent >= 0 && percent >= quint32(upgradeStallPercent);
    }
    bool dropsUpgradeAt(quint32 percent) const
    {
        return upgradeDropPercent >= 0 && percent >= quint32(upgradeDropPercent);
    }
    bool stallsStreamAfter(int pictures) const
    {
        return streamStallPictures >= 0 && pictures >= streamStallPictures;
    }
    bool dropsStreamAfter(int pictures) const
    {
        return streamDropPictures >= 0 && pictures >= streamDropPictures;
    }
    int sessionLimit(int cameraDefault) const
    {
        return maxSessions >= 0 ? maxSessions : cameraDefault;
    }
    // The ability text grown to abilityMinSize (but never over maxSize).
    QByteArray paddedAbility(const QByteArray &text, int maxSize) const;
};

// Parses one fault word as the command line gives it ("delay=500",
// "refuse-set=1001", "never-return", ...) into fault; false with a message
// when the word is not understood.
bool applyFaultWord(Fault &fault, const QString &word, QString *error);

} // namespace devsim
