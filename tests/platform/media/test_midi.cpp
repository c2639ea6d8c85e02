// The MIDI file reader (what is refused, the tempo map) and the synthesiser
// thread that renders a song into a PCM image.

#include <QElapsedTimer>
#include <QTest>

#include <numeric>

#include "platform/media/midi_file.h"
#include "platform/media/midi_render.h"
#include "test_player_support.h"

using namespace scenova::platform;
using namespace scenova::testing;

namespace {

QByteArray bytes(std::initializer_list<int> list) {
  QByteArray out;
  for (int b : list) out.append(char(b));
  return out;
}

QByteArray track(const QByteArray& events) {
  return midiChunk("MTrk", events);
}

const QByteArray kEnd = bytes({0x00, 0xff, 0x2f, 0x00});

// The peak sample of a stretch of the image (16-bit stereo).
int peakBetween(PcmBuffer& image, double from, double to) {
  const qint64 a = PcmBuffer::kHeaderBytes + qint64(from * PcmBuffer::kSampleRate) * 4;
  const qint64 b = PcmBuffer::kHeaderBytes + qint64(to * PcmBuffer::kSampleRate) * 4;
  QByteArray data(int(b - a), Qt::Uninitialized);
  std::atomic<bool> no{false};
  qint64 got = 0;
  while (got < data.size()) {
    const qint64 n = image.read(a + got, data.data() + got, data.size() - got, no);
    if (n <= 0) break;
    got += n;
  }
  return peak(data.left(int(got)));
}

}  // namespace

class TestMidi : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void refusesWhatTheSynthesiserCannotPlay_data() {
    QTest::addColumn<QByteArray>("file");
    const QByteArray head = midiHeader(0, 1, 480);
    const QByteArray song = midiSong(2);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not MIDI") << QByteArray("RIFF....WAVEfmt ");
    QTest::newRow("header cut") << head.left(10);
    QTest::newRow("header length 5") << bytes({'M', 'T', 'h', 'd', 0, 0, 0, 5, 0, 0, 0, 1, 1});
    QTest::newRow("header length past end") << bytes({'M', 'T', 'h', 'd', 0x7f, 0, 0, 6});
    QTest::newRow("format 3") << midiHeader(3, 1, 480) + track(kEnd);
    QTest::newRow("no tracks") << midiHeader(1, 0, 480);
    QTest::newRow("SMPTE division") << midiHeader(0, 1, 0xe728) + track(kEnd);
    QTest::newRow("division 0") << midiHeader(0, 1, 0) + track(kEnd);
    QTest::newRow("track missing") << midiHeader(1, 2, 480) + track(kEnd);
    QTest::newRow("track cut short") << song.left(song.size() - 5);
    QTest::newRow("track length past end") << head + bytes({'M', 'T', 'r', 'k', 0, 0, 1, 0}) + kEnd;
    QTest::newRow("data without status") << head + track(bytes({0x00, 0x40, 0x40}) + kEnd);
    QTest::newRow("note cut by track end") << head + track(bytes({0x00, 0x90, 0x40}));
    QTest::newRow("data byte above 127") << head + track(bytes({0x00, 0x90, 0x40, 0x80}) + kEnd);
    QTest::newRow("five-byte delta")
        << head + track(bytes({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 0x40, 0x40}) + kEnd);
    QTest::newRow("sysex past end") << head + track(bytes({0x00, 0xf0, 0x7f, 0x01}));
    QTest::newRow("meta past end") << head + track(bytes({0x00, 0xff, 0x01, 0x7f, 0x41}));
    QTest::newRow("tempo of zero") << head + track(bytes({0x00, 0xff, 0x51, 0x03, 0, 0, 0}) + kEnd);
    QTest::newRow("tempo of two bytes")
        << head + track(bytes({0x00, 0xff, 0x51, 0x02, 1, 0}) + kEnd);
    QTest::newRow("system common in file") << head + track(bytes({0x00, 0xf2, 0x00, 0x00}) + kEnd);
  }
  void refusesWhatTheSynthesiserCannotPlay() {
    QFETCH(QByteArray, file);
    QString why;
    QVERIFY(!MidiTiming::parse(file, &why));
    QVERIFY(!why.isEmpty());
  }

  void acceptsUsualFiles() {
    // Running status, note-off as velocity 0, an unknown chunk, a text meta
    // event and a system exclusive message; the end of track ends the track
    // even when bytes follow.
    const QByteArray events = bytes({0x00, 0xff, 0x03, 0x02, 'h',  'i',         //
                                     0x00, 0xf0, 0x03, 0x7e, 0x09, 0xf7,        //
                                     0x00, 0x90, 0x40, 0x64, 0x60, 0x40, 0x00,  // running status
                                     0x00, 0xc0, 0x05, 0x00, 0xd0, 0x10}) +
                              bytes({0x20, 0xff, 0x2f, 0x00, 0x99, 0x99});
    const QByteArray file =
        midiHeader(1, 2, 96) + midiChunk("XFIH", "junk") + track(events) + track(kEnd);
    const auto t = MidiTiming::parse(file);
    QVERIFY(t);
    QCOMPARE(t->format(), 1);
    QCOMPARE(t->trackCount(), 2);
    QCOMPARE(t->lastTick(), 0x60 + 0x20);
    QVERIFY(t->hasNotes());
    QCOMPARE(t->durationSeconds(), 128 / 96.0 * 0.5);
  }

  // Tempo changes on any track apply to the whole song, in tick order.
  void tempoMap() {
    const QByteArray conductor = bytes({0x00, 0xff, 0x51, 0x03, 0x0f, 0x42, 0x40,        // 60 bpm
                                        0x83, 0x60, 0xff, 0x51, 0x03, 0x07, 0xa1, 0x20,  // 480: 120
                                        0x87, 0x40, 0xff, 0x2f, 0x00});  // ends at 1440
    const QByteArray notes = bytes({0x00, 0x90, 0x40, 0x40, 0x8b, 0x20, 0x80, 0x40, 0x00}) + kEnd;
    const QByteArray file = midiHeader(1, 2, 480) + track(conductor) + track(notes);
    const auto t = MidiTiming::parse(file);
    QVERIFY(t);
    QCOMPARE(t->tempoMap().size(), 2);
    QCOMPARE(t->lastTick(), 1440);
    QCOMPARE(t->secondsAt(480), 1.0);
    QCOMPARE(t->secondsAt(960), 1.5);
    QCOMPARE(t->durationSeconds(), 2.0);
    QCOMPARE(t->tickAt(1.0), 480);
    QCOMPARE(t->tickAt(1.75), 1200);
    QCOMPARE(t->tickAt(-1), 0);
    for (qint64 tick : {0, 1, 479, 480, 777, 1440}) QCOMPARE(t->tickAt(t->secondsAt(tick)), tick);
  }

  // Sound where the notes are, the tail after them, and the image's length.
  void rendersTheSong() {
    if (!QFile::exists(defaultSoundFont())) QSKIP("the General MIDI soundfont is not installed");
    // One second of silence (a rest), then one second of notes.
    QByteArray ev = bytes({0x00, 0xc0, 0x00});
    ev += vlq(480) + bytes({0x90, 60, 110}) + vlq(480) + bytes({0x80, 60, 0});
    ev += vlq(0) + bytes({0x90, 64, 110}) + vlq(480) + bytes({0x80, 64, 0}) + kEnd;
    const QByteArray file = midiHeader(0, 1, 480) + track(ev);
    const auto timing = MidiTiming::parse(file);
    QVERIFY(timing);
    QCOMPARE(timing->durationSeconds(), 1.5);
    QElapsedTimer t;
    t.start();
    auto render = MidiRender::start(file, *timing, defaultSoundFont());
    QVERIFY(render);
    QVERIFY(render->waitFinished(10000));
    qInfo("rendered %.1f s in %lld ms", 1.5 + MidiRender::kTailSeconds, t.elapsed());
    PcmBuffer& image = *render->buffer();
    QCOMPARE(image.frames(), qint64(std::ceil(2.5 * PcmBuffer::kSampleRate)));
    QVERIFY(peakBetween(image, 0.0, 0.45) < 10);  // silence (and dither)
    QVERIFY(peakBetween(image, 0.55, 1.4) > 1000);
    QVERIFY(peakBetween(image, 2.3, 2.5) < peakBetween(image, 0.55, 1.4) / 4);
  }

  // Aborting wakes a reader that waits for samples, and the thread ends.
  void abortEndsTheThreadAndTheReaders() {
    if (!QFile::exists(defaultSoundFont())) QSKIP("the General MIDI soundfont is not installed");
    const QByteArray file = midiHeader(0, 1, 480) + midiTrack(2000, 480);  // 1000 s
    const auto timing = MidiTiming::parse(file);
    QVERIFY(timing);
    auto render = MidiRender::start(file, *timing, defaultSoundFont());
    QVERIFY(render);
    auto image = render->buffer();
    std::atomic<bool> no{false};
    char byte = 0;
    QElapsedTimer t;
    t.start();
    render->abort();
    QCOMPARE(image->read(image->size() - 1, &byte, 1, no), qint64(-1));
    render.reset();
    QVERIFY(t.elapsed() < 1000);
    // A reader's own cancel flag also ends its wait.
    PcmBuffer idle(1000);
    std::atomic<bool> cancel{true};
    QCOMPARE(idle.read(100, &byte, 1, cancel), qint64(-1));
    QCOMPARE(idle.read(0, &byte, 1, no), qint64(1));  // the header is always there
    QCOMPARE(idle.read(idle.size(), &byte, 1, no), qint64(0));
  }

  void refusesSongsTooLongToKeep() {
    const QByteArray file = midiHeader(0, 1, 1) + track(vlq(0x0fffffff) + kEnd.mid(1));
    const auto timing = MidiTiming::parse(file);
    QVERIFY(timing);
    QVERIFY(timing->durationSeconds() > MidiRender::kMaxSeconds);
    QVERIFY(!MidiRender::start(file, *timing, defaultSoundFont()));
  }
};

QTEST_GUILESS_MAIN(TestMidi)

#include "test_midi.moc"
