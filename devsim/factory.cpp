#include "factory.h"

#include "recordbytes.h"
#include "solvane_records.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace devsim {

namespace {

// Small, portable generator (splitmix64): the same index and seed give the same
// camera on every machine and every standard library.
class Dice
{
public:
    Dice(int index, quint32 seed)
        : m_state((quint64(seed) << 32) ^ quint64(quint32(index)) ^ 0x9E3779B97F4A7C15ull)
    { }

    quint32 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return quint32((z ^ (z >> 31)) >> 32);
    }

    // Uniform enough in [low, high].
    int range(int low, int high) { return low + int(next() % quint32(high - low + 1)); }

    template<typename T, std::size_t N> const T &pick(const std::array<T, N> &items)
    {
        return items[next() % N];
    }

private:
    quint64 m_state;
};

// One camera model of the simulated catalogue. The series code is the device
// type byte of the device record; the upgrade fields name its firmware file.
struct Model
{
    quint8 seriesCode;
    const char *tag; // model part of the serial number
    const char *platform;
    int flashSize;
    int memorySize;
    int majorType;
    int minorType;
    int exposureMax; // microseconds, upper bound of the user exposure setting
    quint8 mainResolution;
    quint32 discoveryCode;
};

constexpr std::array<Model, 8> kModels = { {
    { 31, "IPC2030", "P1", 8, 64, 2, 3, 40000, 19, 20031 },
    { 32, "IPC2130", "P1", 8, 128, 2, 4, 40000, 27, 20032 },
    { 35, "IPC3240", "P2", 16, 128, 3, 1, 66666, 27, 20035 },
    { 36, "IPC3250", "P2", 16, 256, 3, 2, 66666, 31, 20036 },
    { 40, "IPD4020", "A5", 8, 64, 4, 1, 33333, 19, 20040 },
    { 44, "IPB4140", "A5", 16, 128, 4, 5, 40000, 30, 20044 },
    { 61, "IPZ6120", "P3", 32, 256, 6, 1, 80000, 27, 20061 },
    { 66, "IPF6620", "P3", 32, 512, 6, 6, 50000, 28, 20066 },
} };

// Firmware languages; the second is the Chinese firmware a few cameras carry.
constexpr std::array<int, 2> kLanguages = { 1, 2 };

constexpr std::array<const char *, 12> kPlaces = { "Lobby", "Gate", "Parking", "Warehouse",
    "Corridor", "Office", "Loading", "Stairs", "Roof", "Entrance", "Yard", "Cashier" };

// Recognisable names first, then numbered ones; every name fits 15 bytes.
constexpr std::array<const char *, 8> kPtzNames = { "PELCO-D", "PELCO-P", "PELCO-D-EXT",
    "PELCO-P-EXT", "VISCA", "RS485-GENERIC", "DOME-A", "DOME-B" };

constexpr std::array<quint8, 12> kLocalOutputs = { 0, 1, 2, 20, 21, 22, 23, 24, 25, 26, 27, 28 };
constexpr std::array<quint8, 6> kSubResolutions = { 0, 1, 2, 16, 3, 4 };
constexpr std::array<quint8, 4> kEncodeTypes = { 0, 1, 2, 7 };

QByteArray patterned(quint32 command)
{
    const int size = int(SOLV_RecordSize(command));
    QByteArray bytes(size, Qt::Uninitialized);
    for (int offset = 0; offset < size; ++offset) {
        bytes[offset] = char(patternByte(command, offset));
    }
    return bytes;
}

QByteArray gatewayFor(const QString &ipAddress)
{
    QStringList parts = ipAddress.split(QLatin1Char('.'));
    if (parts.size() != 4) {
        return "0.0.0.0";
    }
    parts[3] = QStringLiteral("254");
    return parts.join(QLatin1Char('.')).toLatin1();
}

quint32 buildDate(Dice &dice, int firstYear, int lastYear)
{
    const quint32 year = quint32(dice.range(firstYear, lastYear));
    const quint32 month = quint32(dice.range(1, 12));
    const quint32 day = quint32(dice.range(1, 28));
    return (year << 16) | (month << 8) | day;
}

QByteArray deviceRecord(int index, quint32 seed, const Model &model, Dice &dice)
{
    QByteArray bytes = patterned(SOLV_GET_DEVICECFG);
    RecordWriter w(bytes);

    const QByteArray name = QByteArray(kPlaces[size_t(index) % kPlaces.size()]) + '-'
        + QByteArray::number(index + 1).rightJustified(3, '0');
    w.text(SOLV_DEVICECFG_NAME_OFFSET, SOLV_DEVICECFG_NAME_LEN, name);
    w.u32(SOLV_DEVICECFG_DEVICE_NUMBER_OFFSET, quint32(index % 255) + 1);

    // Twelve digits: four from the seed, eight from the index, so every camera
    // of a fleet has its own serial number.
    const QByteArray digits = QByteArray::number(seed % 10000).rightJustified(4, '0')
        + QByteArray::number(index).rightJustified(8, '0');
    w.text(SOLV_DEVICECFG_SERIAL_OFFSET, SOLV_DEVICECFG_SERIAL_LEN,
        QByteArray("TVX-") + model.tag + '-' + digits);

    // Every fifth camera runs an old firmware that reports the older version form.
    quint32 version;
    quint32 date;
    if (index % 5 == 4) {
        version = (quint32(dice.range(1, 3)) << 16) | quint32(dice.range(0, 9));
        date = buildDate(dice, 9, 12);
    } else {
        version = (quint32(dice.range(1, 5)) << 24) | (quint32(dice.range(0, 9)) << 16)
            | quint32(dice.range(0, 20));
        date = buildDate(dice, 13, 26);
    }
    w.u32(SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET, version);
    w.u32(SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_OFFSET, date);
    w.u32(SOLV_DEVICECFG_DSP_VERSION_OFFSET,
        (quint32(dice.range(3, 6)) << 16) | quint32(dice.range(0, 9)));
    w.u32(SOLV_DEVICECFG_DSP_BUILD_DATE_OFFSET, buildDate(dice, 10, 26));

    w.u8(SOLV_DEVICECFG_DISK_COUNT_OFFSET, quint8(dice.range(0, 1)));
    w.u8(SOLV_DEVICECFG_DEVICE_TYPE_OFFSET, model.seriesCode);
    w.u8(SOLV_DEVICECFG_CHANNEL_COUNT_OFFSET, 1);
    return bytes;
}

QByteArray networkRecord(int index, const QString &ipAddress, quint16 port)
{
    QByteArray bytes = patterned(SOLV_GET_NETCFG);
    RecordWriter w(bytes);
    w.text(SOLV_NETCFG_IP_ADDRESS_OFFSET, SOLV_NETCFG_IP_ADDRESS_LEN, ipAddress.toLatin1());
    w.text(SOLV_NETCFG_MASK_OFFSET, SOLV_NETCFG_MASK_LEN, "255.255.255.0");
    w.u16(SOLV_NETCFG_PORT_OFFSET, port);
    // Locally administered, unique per index.
    const quint32 serial = quint32(index) + 1;
    const quint8 mac[SOLV_NETCFG_MAC_LEN]
        = { 0x02, 0x54, 0x56, quint8(serial >> 16), quint8(serial >> 8), quint8(serial) };
    w.raw(SOLV_NETCFG_MAC_OFFSET, mac, SOLV_NETCFG_MAC_LEN);
    w.text(SOLV_NETCFG_GATEWAY_OFFSET, SOLV_NETCFG_GATEWAY_LEN, gatewayFor(ipAddress));
    return bytes;
}

QByteArray frontRecord(const Model &model, Dice &dice)
{
    QByteArray bytes = patterned(SOLV_GET_FRONTCFG);
    RecordWriter w(bytes);
    w.u8(SOLV_FRONTCFG_BRIGHTNESS_OFFSET, quint8(dice.range(40, 60)));
    w.u8(SOLV_FRONTCFG_CONTRAST_OFFSET, quint8(dice.range(40, 60)));
    w.u8(SOLV_FRONTCFG_SHARPNESS_OFFSET, quint8(dice.range(30, 70)));
    w.u8(SOLV_FRONTCFG_SATURATION_OFFSET, quint8(dice.range(40, 60)));
    w.u8(SOLV_FRONTCFG_GAIN_OFFSET, quint8(dice.range(20, 80)));
    w.u8(SOLV_FRONTCFG_EXPOSURE_MODE_OFFSET, quint8(dice.range(0, 1)));
    w.u32(
        SOLV_FRONTCFG_EXPOSURE_TIME_OFFSET, quint32(dice.range(1, model.exposureMax / 100)) * 100);
    w.u8(SOLV_FRONTCFG_DAYNIGHT_FILTER_TYPE_OFFSET, quint8(dice.range(0, 2)));
    w.u8(SOLV_FRONTCFG_DAY_TO_NIGHT_SENSITIVITY_OFFSET, quint8(dice.range(0, 7)));
    w.u8(SOLV_FRONTCFG_NIGHT_TO_DAY_SENSITIVITY_OFFSET, quint8(dice.range(0, 7)));
    w.u8(SOLV_FRONTCFG_DAYNIGHT_FILTER_TIME_OFFSET, quint8(dice.range(1, 30)));
    w.u8(SOLV_FRONTCFG_IRIS_MODE_OFFSET, quint8(dice.range(0, 1)));
    w.u8(SOLV_FRONTCFG_LOCAL_OUTPUT_OFFSET, dice.pick(kLocalOutputs));
    return bytes;
}

QByteArray pictureRecord(int index, Dice &dice)
{
    QByteArray bytes = patterned(SOLV_GET_PICCFG);
    RecordWriter w(bytes);
    w.text(SOLV_PICCFG_CHANNEL_NAME_OFFSET, SOLV_PICCFG_CHANNEL_NAME_LEN,
        "Camera " + QByteArray::number(index + 1).rightJustified(2, '0'));
    w.u32(SOLV_PICCFG_SHOW_CHANNEL_NAME_OFFSET, quint32(dice.range(0, 1)));
    w.u32(SOLV_PICCFG_SHOW_OSD_OFFSET, quint32(dice.range(0, 1)));
    w.u8(SOLV_PICCFG_OSD_TYPE_OFFSET, quint8(dice.range(0, 5)));
    w.u8(SOLV_PICCFG_SHOW_WEEK_OFFSET, quint8(dice.range(0, 1)));
    w.u8(SOLV_PICCFG_HOUR_OSD_TYPE_OFFSET, quint8(dice.range(0, 1)));
    return bytes;
}

void streamBlock(RecordWriter &w, int block, quint8 resolution, quint32 bitrate, Dice &dice)
{
    const int base = SOLV_COMPRESSCFG_STREAM_OFFSET + SOLV_COMPRESSCFG_STREAM_STRIDE * block;
    w.u8(base + SOLV_STREAM_STREAM_TYPE_OFFSET, quint8(dice.range(0, 1)));
    w.u8(base + SOLV_STREAM_RESOLUTION_OFFSET, resolution);
    w.u8(base + SOLV_STREAM_BITRATE_TYPE_OFFSET, quint8(dice.range(0, 1)));
    w.u32(base + SOLV_STREAM_BITRATE_OFFSET, bitrate);
    w.u32(base + SOLV_STREAM_FRAME_RATE_OFFSET,
        quint32(dice.range(0, 1) == 0 ? 0 : dice.range(5, 16)));
    w.u16(base + SOLV_STREAM_IFRAME_INTERVAL_OFFSET, quint16(dice.range(1, 4) * 25));
    w.u8(base + SOLV_STREAM_ENCODE_TYPE_OFFSET, dice.pick(kEncodeTypes));
}

QByteArray compressionRecord(int index, const Model &model, Dice &dice)
{
    QByteArray bytes = patterned(SOLV_GET_COMPRESSCFG);
    RecordWriter w(bytes);
    // Some cameras carry a custom main-stream bitrate (kbps << 10 with the top bit).
    const quint32 mainBitrate = index % 7 == 3
        ? SOLV_STREAM_BITRATE_CUSTOM | (quint32(dice.range(5, 60)) * 100u << 10)
        : quint32(dice.range(19, 25));
    streamBlock(w, SOLV_COMPRESSCFG_MAIN_STREAM, model.mainResolution, mainBitrate, dice);
    streamBlock(w, SOLV_COMPRESSCFG_SUB_STREAM, dice.pick(kSubResolutions),
        quint32(dice.range(7, 16)), dice);
    return bytes;
}

QByteArray recordScheduleRecord(Dice &dice)
{
    QByteArray bytes = patterned(SOLV_GET_RECORDCFG);
    RecordWriter w(bytes);
    w.u32(SOLV_RECORDCFG_ENABLED_OFFSET, quint32(dice.range(0, 1)));
    for (int day = 0; day < SOLV_RECORDCFG_DAY_COUNT; ++day) {
        const int entry = SOLV_RECORDCFG_ALLDAY_OFFSET + SOLV_RECORDCFG_ALLDAY_STRIDE * day;
        const bool weekend = day >= 5;
        w.u16(entry + SOLV_RECORDCFG_ALLDAY_ENABLED_OFFSET, weekend ? 1 : 0);
        w.u8(
            entry + SOLV_RECORDCFG_ALLDAY_TYPE_OFFSET, quint8(dice.range(0, SOLV_RECORD_TYPE_MAX)));

        const int dayBase = SOLV_RECORDCFG_SLOT_OFFSET + SOLV_RECORDCFG_SLOT_DAY_STRIDE * day;
        for (int slot = 0; slot < SOLV_RECORDCFG_SLOT_COUNT; ++slot) {
            const int s = dayBase + SOLV_RECORDCFG_SLOT_STRIDE * slot;
            quint8 times[4] = { 0, 0, 0, 0 };
            quint8 type = 0;
            if (slot == 0) {
                times[0] = quint8(dice.range(6, 9));
                times[1] = quint8(dice.range(0, 3) * 15);
                times[2] = 12;
                times[3] = 0;
                type = 0;
            } else if (slot == 1) {
                times[0] = 13;
                times[1] = quint8(dice.range(0, 1) * 30);
                times[2] = quint8(dice.range(17, 23));
                times[3] = 30;
                type = quint8(dice.range(1, SOLV_RECORD_TYPE_MAX));
            }
            w.u8(s + SOLV_RECORDCFG_SLOT_START_HOUR_OFFSET, times[0]);
            w.u8(s + SOLV_RECORDCFG_SLOT_START_MINUTE_OFFSET, times[1]);
            w.u8(s + SOLV_RECORDCFG_SLOT_STOP_HOUR_OFFSET, times[2]);
            w.u8(s + SOLV_RECORDCFG_SLOT_STOP_MINUTE_OFFSET, times[3]);
            w.u8(s + SOLV_RECORDCFG_SLOT_TYPE_OFFSET, type);
        }
    }
    return bytes;
}

QByteArray ddnsRecord(int index, Dice &dice)
{
    struct Service
    {
        const char *server;
        quint16 port;
    };
    static constexpr std::array<Service, 4> services
        = { { { "ddns.tervix.example", 7070 }, { "members.dyndns.org", 80 },
            { "ph031.oray.net", 6060 }, { "dynupdate.no-ip.com", 8245 } } };
    QByteArray bytes = patterned(SOLV_GET_DDNSCFG);
    RecordWriter w(bytes);
    w.u8(SOLV_DDNSCFG_ENABLED_OFFSET, quint8(dice.range(0, 1)));
    w.u8(SOLV_DDNSCFG_SERVER_TYPE_OFFSET, quint8(dice.range(0, 3)));
    const QByteArray number = QByteArray::number(index + 1).rightJustified(4, '0');
    for (int t = 0; t < SOLV_DDNSCFG_ENTRY_COUNT; ++t) {
        const int e = SOLV_DDNSCFG_ENTRY_OFFSET + SOLV_DDNSCFG_ENTRY_STRIDE * t;
        const bool used = t < int(services.size());
        const QByteArray user = used ? "cam" + number + "-" + QByteArray::number(t) : QByteArray();
        w.text(e + SOLV_DDNSCFG_ENTRY_USER_OFFSET, SOLV_DDNSCFG_ENTRY_USER_LEN, user);
        w.text(e + SOLV_DDNSCFG_ENTRY_PASSWORD_OFFSET, SOLV_DDNSCFG_ENTRY_PASSWORD_LEN,
            used ? "dd" + number : QByteArray());
        w.text(e + SOLV_DDNSCFG_ENTRY_DOMAIN_OFFSET, SOLV_DDNSCFG_ENTRY_DOMAIN_LEN,
            used ? "cam" + number + ".tervix-demo.net" : QByteArray());
        w.text(e + SOLV_DDNSCFG_ENTRY_SERVER_OFFSET, SOLV_DDNSCFG_ENTRY_SERVER_LEN,
            used ? QByteArray(services[size_t(t)].server) : QByteArray());
        w.u16(e + SOLV_DDNSCFG_ENTRY_PORT_OFFSET, used ? services[size_t(t)].port : 0);
    }
    return bytes;
}

QByteArray ntpRecord(Dice &dice)
{
    static constexpr std::array<const char *, 3> servers
        = { "pool.ntp.org", "time.tervix.example", "192.168.1.1" };
    QByteArray bytes = patterned(SOLV_GET_NTPCFG);
    RecordWriter w(bytes);
    w.text(SOLV_NTPCFG_SERVER_OFFSET, SOLV_NTPCFG_SERVER_LEN, dice.pick(servers));
    w.u8(SOLV_NTPCFG_ENABLED_OFFSET, quint8(dice.range(0, 1)));
    w.u16(SOLV_NTPCFG_PORT_OFFSET, 123);
    return bytes;
}

QByteArray nfsRecord(int index, Dice &dice)
{
    QByteArray bytes = patterned(SOLV_GET_NFSCFG);
    RecordWriter w(bytes);
    const int used = dice.range(0, 2);
    for (int n = 0; n < SOLV_NFSCFG_ENTRY_COUNT; ++n) {
        const int e = SOLV_NFSCFG_ENTRY_OFFSET + SOLV_NFSCFG_ENTRY_STRIDE * n;
        const bool inUse = n < used;
        w.text(e + SOLV_NFSCFG_ENTRY_HOST_OFFSET, SOLV_NFSCFG_ENTRY_HOST_LEN,
            inUse ? "192.168.1." + QByteArray::number(200 + n) : QByteArray());
        w.text(e + SOLV_NFSCFG_ENTRY_DIRECTORY_OFFSET, SOLV_NFSCFG_ENTRY_DIRECTORY_LEN,
            inUse ? "/export/cam" + QByteArray::number(index + 1) + "/disk" + QByteArray::number(n)
                  : QByteArray());
    }
    return bytes;
}

QByteArray emailRecord(int index, Dice &dice)
{
    QByteArray bytes = patterned(SOLV_GET_EMAILCFG);
    RecordWriter w(bytes);
    const QByteArray number = QByteArray::number(index + 1).rightJustified(3, '0');
    w.text(SOLV_EMAILCFG_ACCOUNT_OFFSET, SOLV_EMAILCFG_ACCOUNT_LEN, "camera" + number);
    w.text(SOLV_EMAILCFG_PASSWORD_OFFSET, SOLV_EMAILCFG_PASSWORD_LEN, "mail" + number);
    w.text(SOLV_EMAILCFG_SENDER_NAME_OFFSET, SOLV_EMAILCFG_SENDER_NAME_LEN, "Camera " + number);
    w.text(SOLV_EMAILCFG_SENDER_ADDRESS_OFFSET, SOLV_EMAILCFG_SENDER_ADDRESS_LEN,
        "camera" + number + "@tervix.example");
    w.text(SOLV_EMAILCFG_SMTP_SERVER_OFFSET, SOLV_EMAILCFG_SMTP_SERVER_LEN, "smtp.tervix.example");
    w.text(SOLV_EMAILCFG_POP3_SERVER_OFFSET, SOLV_EMAILCFG_POP3_SERVER_LEN, "pop3.tervix.example");
    static constexpr std::array<const char *, SOLV_EMAILCFG_RECEIVER_COUNT> receivers
        = { "Security desk", "Facility manager", "" };
    for (int n = 0; n < SOLV_EMAILCFG_RECEIVER_COUNT; ++n) {
        const int e = SOLV_EMAILCFG_RECEIVER_OFFSET + SOLV_EMAILCFG_RECEIVER_STRIDE * n;
        const QByteArray name = receivers[size_t(n)];
        w.text(e + SOLV_EMAILCFG_RECEIVER_NAME_OFFSET, SOLV_EMAILCFG_RECEIVER_NAME_LEN, name);
        w.text(e + SOLV_EMAILCFG_RECEIVER_ADDRESS_OFFSET, SOLV_EMAILCFG_RECEIVER_ADDRESS_LEN,
            name.isEmpty() ? QByteArray() : "alerts" + QByteArray::number(n) + "@tervix.example");
    }
    const bool ssl = dice.range(0, 1) == 1;
    w.u8(SOLV_EMAILCFG_ATTACH_PICTURE_OFFSET, quint8(dice.range(0, 1)));
    w.u8(SOLV_EMAILCFG_SMTP_AUTH_OFFSET, 1);
    w.u8(SOLV_EMAILCFG_MAIL_INTERVAL_OFFSET, quint8(dice.range(0, 3)));
    w.u8(SOLV_EMAILCFG_SSL_OFFSET, ssl ? 1 : 0);
    w.u16(SOLV_EMAILCFG_SMTP_PORT_OFFSET, ssl ? 465 : 25);
    return bytes;
}

QByteArray decoderRecord(int ptzCount, Dice &dice)
{
    QByteArray bytes = patterned(SOLV_GET_DECODERCFG);
    RecordWriter w(bytes);
    static constexpr std::array<quint32, 4> bauds = { 7, 8, 9, 14 }; // 2400, 4800, 9600, 115.2k
    w.u32(SOLV_DECODERCFG_BAUD_RATE_OFFSET, dice.pick(bauds));
    w.u8(SOLV_DECODERCFG_DATA_BITS_OFFSET, 3);
    w.u8(SOLV_DECODERCFG_STOP_BITS_OFFSET, quint8(dice.range(0, 1)));
    w.u8(SOLV_DECODERCFG_PARITY_OFFSET, quint8(dice.range(0, 2)));
    w.u8(SOLV_DECODERCFG_FLOW_CONTROL_OFFSET, quint8(dice.range(0, 2)));
    w.u16(SOLV_DECODERCFG_DECODER_TYPE_OFFSET,
        ptzCount > 0 ? quint16(dice.range(0, std::min(ptzCount, 5) - 1)) : 0);
    w.u16(SOLV_DECODERCFG_DECODER_ADDRESS_OFFSET, quint16(dice.range(0, 255)));
    return bytes;
}

QByteArray cameraAbility(const Model &model)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<CAMERAPARA version=\"1.0\">\n"
                      "  <Brightness><Min>0</Min><Max>100</Max></Brightness>\n"
                      "  <Contrast><Min>0</Min><Max>100</Max></Contrast>\n"
                      "  <Sharpness><Min>0</Min><Max>100</Max></Sharpness>\n"
                      "  <Saturation><Min>0</Min><Max>100</Max></Saturation>\n"
                      "  <Gain><Min>0</Min><Max>100</Max></Gain>\n"
                      "  <Exposure>\n"
                      "    <exposureMode opt=\"manual,auto\"/>\n"
                      "    <exposureUSERSET>\n"
                      "      <Min>10</Min>\n"
                      "      <Max>")
        + QByteArray::number(model.exposureMax)
        + QByteArray("</Max>\n"
                     "    </exposureUSERSET>\n"
                     "  </Exposure>\n"
                     "  <DayNightFilter><Time><Min>1</Min><Max>120</Max></Time></DayNightFilter>\n"
                     "</CAMERAPARA>\n");
}

QByteArray deviceAbility(const Model &model, int language)
{
    // Texts go into a firmware file name unchanged, so no whitespace inside.
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<UpdateFlag>\n") + "  <PlatForm>"
        + model.platform + "</PlatForm>\n" + "  <FlashSize>" + QByteArray::number(model.flashSize)
        + "</FlashSize>\n" + "  <MemorySize>" + QByteArray::number(model.memorySize)
        + "</MemorySize>\n" + "  <MajorType>" + QByteArray::number(model.majorType)
        + "</MajorType>\n" + "  <MinorType>" + QByteArray::number(model.minorType)
        + "</MinorType>\n" + "  <Language>" + QByteArray::number(language) + "</Language>\n"
        + "</UpdateFlag>\n";
}

QList<QPair<quint32, QByteArray>> ptzProtocols(int count)
{
    QList<QPair<quint32, QByteArray>> list;
    count = std::clamp(count, 0, int(SOLV_PTZ_PROTOCOL_ENTRY_COUNT));
    for (int i = 0; i < count; ++i) {
        const QByteArray name = size_t(i) < kPtzNames.size()
            ? QByteArray(kPtzNames[size_t(i)])
            : "PTZ-" + QByteArray::number(i + 1).rightJustified(3, '0');
        // Protocol type codes are the device's own numbering, not the list position.
        list.append({ quint32(i < int(kPtzNames.size()) ? i + 1 : 100 + i), name });
    }
    return list;
}

QByteArray startTime(Dice &dice)
{
    return QByteArray::number(2026) + "-11-"
        + QByteArray::number(dice.range(1, 28)).rightJustified(2, '0') + ' '
        + QByteArray::number(dice.range(0, 23)).rightJustified(2, '0') + ':'
        + QByteArray::number(dice.range(0, 59)).rightJustified(2, '0') + ':'
        + QByteArray::number(dice.range(0, 59)).rightJustified(2, '0');
}

} // namespace

QStringList factoryModels()
{
    QStringList models;
    for (const Model &model : kModels) {
        models.append(QString::fromLatin1(model.tag));
    }
    return models;
}

QList<int> factoryLanguages()
{
    return QList<int>(kLanguages.begin(), kLanguages.end());
}

QByteArray factoryDeviceAbility(const QString &model, int language)
{
    for (const Model &candidate : kModels) {
        if (model.compare(QLatin1String(candidate.tag), Qt::CaseInsensitive) == 0) {
            return deviceAbility(candidate, language);
        }
    }
    return {};
}

quint8 patternByte(quint32 command, int offset)
{
    return quint8(0xA5 ^ ((quint32(offset) * 31u + command) & 0xFFu));
}

FactoryDevice makeFactoryDevice(
    int index, quint32 seed, const QString &ipAddress, quint16 port, int ptzCount)
{
    Dice dice(index, seed);
    const Model &model = kModels[(size_t(index) + seed) % kModels.size()];
    ptzCount = std::clamp(ptzCount, 0, int(SOLV_PTZ_PROTOCOL_ENTRY_COUNT));

    FactoryDevice device;
    device.records.insert(SOLV_GET_DEVICECFG, deviceRecord(index, seed, model, dice));
    device.records.insert(SOLV_GET_NETCFG, networkRecord(index, ipAddress, port));
    device.records.insert(SOLV_GET_FRONTCFG, frontRecord(model, dice));
    device.records.insert(SOLV_GET_PICCFG, pictureRecord(index, dice));
    device.records.insert(SOLV_GET_COMPRESSCFG, compressionRecord(index, model, dice));
    device.records.insert(SOLV_GET_RECORDCFG, recordScheduleRecord(dice));
    device.records.insert(SOLV_GET_DDNSCFG, ddnsRecord(index, dice));
    device.records.insert(SOLV_GET_NTPCFG, ntpRecord(dice));
    device.records.insert(SOLV_GET_NFSCFG, nfsRecord(index, dice));
    device.records.insert(SOLV_GET_EMAILCFG, emailRecord(index, dice));
    device.records.insert(SOLV_GET_DECODERCFG, decoderRecord(ptzCount, dice));

    device.cameraAbility = cameraAbility(model);
    // A few cameras carry the Chinese firmware, so directory upgrades pick other files.
    device.deviceAbility = deviceAbility(model, kLanguages[index % 6 == 5 ? 1 : 0]);
    device.ptzProtocols = ptzProtocols(ptzCount);
    device.discoveryTypeCode = model.discoveryCode;
    device.startTime = startTime(dice);
    return device;
}

} // namespace devsim
