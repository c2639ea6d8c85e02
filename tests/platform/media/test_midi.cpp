// The MIDI file reader (what is refused, the tempo map, the events in time
// order) and the synthesiser that renders a song as it is read: the image's
// sound, seeks that give what an uninterrupted rendering gives, long songs.

#include <QElapsedTimer>
#include <QStringList>
#include <QTest>

#include <QtEndian>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/media/midi_file.h"
#include "platform/media/midi_render.h"
#include "platform/media/midi_stream.h"
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
constexpr int kSeekTolerance = 32;  // -60 dB: what recycled voices leave
constexpr double kLoudnessTolerance = 0.2;

using Samples = std::vector<qint16>;

// count frames of 16-bit stereo from frame `from`, by a synthesis of its own
// (a seek, unless from is 0).
Samples renderAt(const std::shared_ptr<MidiSong>& song, qint64 from, qint64 count) {
  MidiSynthesis synthesis(song);
  std::atomic<bool> no{false};
  Samples out(size_t(count) * 2);
  if (!synthesis.seek(from, no)) return {};
  qint64 got = 0;
  while (got < count) {
    const qint64 n = synthesis.render(out.data() + 2 * got, count - got, no);
    if (n <= 0) break;
    got += n;
  }
  out.resize(size_t(got) * 2);
  return out;
}

int peakOf(const Samples& s, qint64 fromFrame, qint64 toFrame) {
  int top = 0;
  for (qint64 i = 2 * fromFrame; i < std::min<qint64>(2 * toFrame, qint64(s.size())); ++i)
    top = std::max(top, std::abs(int(s[size_t(i)])));
  return top;
}

// The largest difference between two stretches of samples.
int largestDifference(const Samples& a, qint64 aFrom, const Samples& b, qint64 frames) {
  int worst = 0;
  for (qint64 i = 0; i < 2 * frames; ++i)
    worst = std::max(worst, std::abs(int(a[size_t(2 * aFrom + i)]) - int(b[size_t(i)])));
  return worst;
}

qint64 framesOf(double seconds) {
  const qint64 f = qint64(seconds * MidiSong::kSampleRate);
  return f - f % MidiSong::kBlockFrames;
}

QByteArray event(qint64 delta, std::initializer_list<int> data) {
  return vlq(quint32(delta)) + bytes(data);
}

// About 44 seconds of music that leaves state behind it: a tempo change,
// programs, an RPN pitch bend range and bends, controllers, the sustain
// pedal, drums, a string note held for 8 s and an organ note for 18 s (longer
// than a seek renders before its target).
QByteArray richSong() {
  QByteArray conductor = event(0, {0xff, 0x51, 0x03, 0x07, 0xa1, 0x20});  // 120 bpm
  conductor += event(480 * 16, {0xff, 0x51, 0x03, 0x0a, 0x2c, 0x2b});     // 8 s: 90 bpm
  conductor += kEnd;
  QByteArray piano = event(0, {0xc0, 0}) + event(0, {0xb0, 7, 100}) + event(0, {0xb0, 91, 60});
  for (int i = 0; i < 140; ++i) {  // 240 ticks each
    const int key = 48 + (i * 7) % 30;
    if (i == 40) piano += event(0, {0xb0, 64, 127});  // 10.7 s to 16 s
    if (i == 56) piano += event(0, {0xb0, 64, 0});
    piano += event(0, {0x90, key, 70 + i % 50}) + event(200, {0x80, key, 0});
    piano += event(40, {0xb0, 10, (i * 13) % 128});
  }
  piano += kEnd;
  QByteArray strings = event(0, {0xc1, 48}) + event(0, {0xb1, 101, 0}) + event(0, {0xb1, 100, 0}) +
                       event(0, {0xb1, 6, 12}) + event(0, {0xb1, 38, 0}) +
                       event(0, {0xb1, 101, 127}) + event(0, {0xb1, 100, 127});
  strings += event(480 * 4, {0x91, 55, 100});  // 2 s to 10 s
  for (int i = 0; i < 120; ++i)
    strings += event(60, {0xe1, 0, (i * 5) % 128}) + event(0, {0xb1, 11, 60 + i % 60});
  strings += event(0, {0x81, 55, 0}) + kEnd;
  QByteArray drums;
  for (int i = 0; i < 70; ++i)
    drums += event(i ? 480 : 0, {0x99, 36, 110}) + event(0, {0x89, 36, 0});
  drums += kEnd;
  const QByteArray organ = event(0, {0xc2, 19}) + event(480 * 34, {0x92, 90, 90}) +  // 20 s
                           event(480 * 27, {0x82, 90, 0}) + kEnd;                    // 38 s
  return midiHeader(1, 5, 480) + track(conductor) + track(piano) + track(strings) + track(drums) +
         track(organ);
}

std::shared_ptr<MidiSong> songOf(const QByteArray& file, bool effects = true) {
  const auto timing = MidiTiming::parse(file);
  return timing ? MidiSong::make(file, *timing, defaultSoundFont(), effects) : nullptr;
}

// The loudness (RMS) of each stretch of `window` frames.
std::vector<double> loudness(const Samples& s, qint64 from, qint64 frames, qint64 window) {
  std::vector<double> out;
  for (qint64 w = 0; w + window <= frames; w += window) {
    double sum = 0;
    for (qint64 i = 2 * (from + w); i < 2 * (from + w + window); ++i)
      sum += double(s[size_t(i)]) * s[size_t(i)];
    out.push_back(std::sqrt(sum / double(2 * window)));
  }
  return out;
}

// The largest relative difference in loudness, stretch by stretch (0.37 s).
double loudnessDifference(const Samples& a, qint64 aFrom, const Samples& b, qint64 frames) {
  const auto x = loudness(a, aFrom, frames, 16384), y = loudness(b, 0, frames, 16384);
  double worst = 0;
  for (size_t i = 0; i < x.size(); ++i)
    worst = std::max(worst, std::abs(x[i] - y[i]) / (x[i] + 50));
  return worst;
}

bool haveSoundFont() {
  return QFile::exists(defaultSoundFont());
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

  // The tempo map is kept while the song plays: a file of nothing but tempo
  // changes does not make it grow without end.
  void refusesAnEndlessTempoMap() {
    QByteArray tempos;
    tempos.reserve(int(MidiTiming::kMaxTempoChanges + 1) * 7 + 8);
    for (qsizetype i = 0; i <= MidiTiming::kMaxTempoChanges; ++i)
      tempos += bytes({0x00, 0xff, 0x51, 0x03, 0x07, 0xa1, int(0x20 + i % 2)});
    QString why;
    const QByteArray tooMany = midiHeader(0, 1, 96) + track(tempos + kEnd);
    QVERIFY(!MidiTiming::parse(tooMany, &why));
    QVERIFY(why.contains(QLatin1StringView("tempo")));
    tempos.chop(7);
    const QByteArray enough = midiHeader(0, 1, 96) + track(tempos + kEnd);
    QVERIFY(MidiTiming::parse(enough));
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

  // The events of all tracks in time order, running status resolved, meta
  // events and escaped packets left out, a track that stops parsing ended.
  void eventsInTimeOrder() {
    const QByteArray a = bytes({0x00, 0xff, 0x03, 0x01, 'x',       // meta: skipped
                                0x10, 0x90, 60,   100,  0x10, 62,  // running status
                                100,  0x00, 0xf7, 0x01, 0x42,      // escaped packet: skipped
                                0x20, 0xf0, 0x02, 0x7e, 0xf7}) +
                         kEnd + bytes({0x00, 0x90, 1, 1});  // after the end: not read
    const QByteArray b = bytes({0x10, 0xc1, 5, 0x08, 0xe1, 0, 64, 0x00, 0x40});  // data, no status
    const QByteArray file = midiHeader(1, 2, 96) + track(a) + track(b);
    MidiEventReader reader(file);
    QStringList seen;
    for (int round = 0; round < 2; ++round) {
      seen.clear();
      MidiEventReader::Event e;
      while (reader.next(&e))
        seen << QStringLiteral("%1:%2 %3 %4 [%5]")
                    .arg(e.tick)
                    .arg(e.status, 0, 16)
                    .arg(e.data1)
                    .arg(e.data2)
                    .arg(QString::fromLatin1(e.sysex.toByteArray().toHex()));
      const QStringList expected{QStringLiteral("16:90 60 100 []"), QStringLiteral("16:c1 5 0 []"),
                                 QStringLiteral("24:e1 0 64 []"), QStringLiteral("32:90 62 100 []"),
                                 QStringLiteral("64:f0 0 0 [7e]")};
      QCOMPARE(seen, expected);
      reader.rewind();
    }
    // Nothing to read in what is not a MIDI file.
    MidiEventReader none(QByteArrayView("RIFF"));
    MidiEventReader::Event e;
    QVERIFY(!none.next(&e));
  }

  // Sound where the notes are, the tail after them, and the image's length.
  void rendersTheSong() {
    if (!haveSoundFont()) QSKIP("the General MIDI soundfont is not installed");
    // One second of silence (a rest), then one second of notes.
    QByteArray ev = bytes({0x00, 0xc0, 0x00});
    ev += vlq(480) + bytes({0x90, 60, 110}) + vlq(480) + bytes({0x80, 60, 0});
    ev += vlq(0) + bytes({0x90, 64, 110}) + vlq(480) + bytes({0x80, 64, 0}) + kEnd;
    const auto song = songOf(midiHeader(0, 1, 480) + track(ev));
    QVERIFY(song);
    const qint64 frames = song->frames();
    QCOMPARE(frames, (110250 / 64 + 1) * 64);  // 2.5 s in whole blocks
    // Read as mpv reads it: the WAV header, then the samples, then the end.
    void* image = MidiStreams::openImage(song);
    QByteArray all;
    char buf[10000];
    for (qint64 n; (n = MidiStreams::readImage(image, buf, sizeof buf)) > 0;) all.append(buf, n);
    MidiStreams::closeImage(image);
    QCOMPARE(all.size(), MidiStreams::kHeaderBytes + frames * 4);
    QCOMPARE(all.left(MidiStreams::kHeaderBytes), MidiStreams::wavHeader(*song));
    QCOMPARE(qFromLittleEndian<quint32>(all.constData() + 40), quint32(frames * 4));
    Samples pcm(size_t(frames) * 2);
    std::memcpy(pcm.data(), all.constData() + MidiStreams::kHeaderBytes, size_t(frames) * 4);
    QVERIFY(peakOf(pcm, 0, framesOf(0.45)) < 10);  // silence
    QVERIFY(peakOf(pcm, framesOf(0.55), framesOf(1.4)) > 1000);
    QVERIFY(peakOf(pcm, framesOf(2.3), frames) < peakOf(pcm, framesOf(0.55), framesOf(1.4)) / 4);
  }

  // The samples after a seek are those an uninterrupted rendering gives at
  // the same time: notes still held, released in the last seconds or kept by
  // the pedal, and the controllers, programs and pitch bend range before.
  void seekGivesWhatPlayingThroughGives_data() {
    QTest::addColumn<double>("at");
    QTest::addColumn<bool>("exact");
    QTest::newRow("first seconds") << 2.0 << true;
    QTest::newRow("held note, bends, tempo change") << 9.0 << true;
    QTest::newRow("pedal down") << 15.3 << true;
    QTest::newRow("pedal released") << 17.0 << true;
    QTest::newRow("organ held") << 24.7 << true;
    // Struck again 12 s before: the same sound, not the same samples.
    QTest::newRow("organ held for 15 s") << 35.0 << false;
  }
  void seekGivesWhatPlayingThroughGives() {
    if (!haveSoundFont()) QSKIP("the General MIDI soundfont is not installed");
    QFETCH(double, at);
    QFETCH(bool, exact);
    // Without reverb and chorus, sample for sample.
    static const auto dry = songOf(richSong(), false);
    QVERIFY(dry);
    static const Samples whole = renderAt(dry, 0, dry->frames());
    QCOMPARE(qint64(whole.size()), 2 * dry->frames());
    const qint64 from = framesOf(at), length = framesOf(2.0);
    const Samples sought = renderAt(dry, from, length);
    QCOMPARE(qint64(sought.size()), 2 * length);
    QVERIFY(peakOf(sought, 0, length) > 1000);
    const int diff = largestDifference(whole, from, sought, length);
    if (exact) QVERIFY2(diff <= kSeekTolerance, qPrintable(QString::number(diff)));
    // The effects' own modulation runs on from wherever the synthesiser
    // started, so with them the sound matches in loudness, stretch by stretch.
    static const auto wet = songOf(richSong(), true);
    static const Samples wholeWet = renderAt(wet, 0, wet->frames());
    const Samples soughtWet = renderAt(wet, from, length);
    const double dryLoudness = loudnessDifference(whole, from, sought, length);
    const double wetLoudness = loudnessDifference(wholeWet, from, soughtWet, length);
    qInfo("largest difference %d, loudness %.3f dry, %.3f with effects", diff, dryLoudness,
          wetLoudness);
    QVERIFY2(dryLoudness < kLoudnessTolerance, qPrintable(QString::number(dryLoudness)));
    QVERIFY2(wetLoudness < kLoudnessTolerance, qPrintable(QString::number(wetLoudness)));
  }

  // mpv reads the image in pieces of any size and seeks to any byte: what it
  // gets after a seek into the middle of a chunk is what it gets reading
  // straight through to there.
  void imageSeeksToAnyByte() {
    if (!haveSoundFont()) QSKIP("the General MIDI soundfont is not installed");
    const auto song = songOf(richSong(), false);
    QVERIFY(song);
    const auto readAll = [](void* image, qint64 bytes, int piece) {
      QByteArray out;
      QByteArray buf(piece, Qt::Uninitialized);
      while (out.size() < bytes) {
        const qint64 n =
            MidiStreams::readImage(image, buf.data(), std::min<qint64>(piece, bytes - out.size()));
        if (n <= 0) break;
        out.append(buf.constData(), n);
      }
      return out;
    };
    void* straight = MidiStreams::openImage(song);
    const QByteArray whole = readAll(straight, MidiStreams::imageSize(*song), 7001);
    MidiStreams::closeImage(straight);
    QCOMPARE(whole.size(), MidiStreams::imageSize(*song));
    void* image = MidiStreams::openImage(song);
    for (const double at : {15.3, 2.0, 30.0}) {
      const qint64 offset = MidiStreams::kHeaderBytes + (framesOf(at) + 12345) * 4;
      QVERIFY(MidiStreams::seekImage(image, offset));
      const QByteArray got = readAll(image, 44100 * 4, 65536);
      QCOMPARE(got.size(), 44100 * 4);
      Samples a(44100 * 2), b(44100 * 2);
      std::memcpy(a.data(), whole.constData() + offset, size_t(got.size()));
      std::memcpy(b.data(), got.constData(), size_t(got.size()));
      QVERIFY(peakOf(b, 0, 44100) > 1000);
      const int diff = largestDifference(a, 0, b, 44100);
      QVERIFY2(diff <= kSeekTolerance, qPrintable(QString::number(diff)));
    }
    MidiStreams::closeImage(image);
  }

  // A three-hour song: its length, a seek near its end and reading on to the
  // end synthesise a few seconds, not the hours before them.
  void longSongSeeksWithoutRenderingWhatCameBefore() {
    if (!haveSoundFont()) QSKIP("the General MIDI soundfont is not installed");
    const int seconds = 3 * 3600;
    const auto song = songOf(midiSong(seconds));
    QVERIFY(song);
    const qint64 expected = qint64(std::ceil((seconds + 1.0) * 44100 / 64)) * 64;
    QCOMPARE(song->frames(), expected);
    void* image = MidiStreams::openImage(song);
    char head[MidiStreams::kHeaderBytes];
    QCOMPARE(MidiStreams::readImage(image, head, sizeof head), qint64(sizeof head));
    QCOMPARE(QByteArray(head, sizeof head), MidiStreams::wavHeader(*song));
    // Ten seconds before the end, where a note is sounding.
    const qint64 at = framesOf(seconds - 10.1);
    QVERIFY(MidiStreams::seekImage(image, MidiStreams::kHeaderBytes + at * 4));
    QByteArray rest;
    char buf[65536];
    QElapsedTimer t;
    t.start();
    for (qint64 n; (n = MidiStreams::readImage(image, buf, sizeof buf)) > 0;) rest.append(buf, n);
    qInfo("seek and 11 s to the end in %lld ms", t.elapsed());
    QCOMPARE(rest.size(), (song->frames() - at) * 4);
    QCOMPARE(MidiStreams::readImage(image, buf, sizeof buf), qint64(0));  // the end, again
    Samples pcm(size_t(rest.size() / 2));
    std::memcpy(pcm.data(), rest.constData(), size_t(rest.size()));
    QVERIFY(peakOf(pcm, 0, framesOf(1)) > 1000);
    const qint64 limit = framesOf(MidiSynthesis::kMaxPreRollSeconds + 12);
    QVERIFY2(song->framesRendered() < limit, qPrintable(QString::number(song->framesRendered())));
    // Back to the start: the first note, without the hours in between.
    QVERIFY(MidiStreams::seekImage(image, MidiStreams::kHeaderBytes));
    QCOMPARE(MidiStreams::readImage(image, buf, 4096), qint64(4096));
    QVERIFY(song->framesRendered() < limit + MidiStreams::kChunkFrames);
    MidiStreams::closeImage(image);
  }

  // A cancelled read or a song let go fails at once; seeking outside the
  // image is refused.
  void cancelAndAbandonStopARendering() {
    if (!haveSoundFont()) QSKIP("the General MIDI soundfont is not installed");
    const auto song = songOf(midiSong(3600));
    QVERIFY(song);
    MidiSynthesis synthesis(song);
    std::atomic<bool> cancel{true};
    Samples out(8192);
    QCOMPARE(synthesis.render(out.data(), 4096, cancel), qint64(-1));
    QVERIFY(!synthesis.seek(framesOf(1800), cancel));
    void* image = MidiStreams::openImage(song);
    QVERIFY(!MidiStreams::seekImage(image, -1));
    QVERIFY(!MidiStreams::seekImage(image, MidiStreams::imageSize(*song) + 1));
    QVERIFY(MidiStreams::seekImage(image, MidiStreams::imageSize(*song)));
    char byte = 0;
    QCOMPARE(MidiStreams::readImage(image, &byte, 1), qint64(0));
    QVERIFY(MidiStreams::seekImage(image, 4000));
    song->abandon();
    QCOMPARE(MidiStreams::readImage(image, &byte, 1), qint64(-1));
    MidiStreams::closeImage(image);
  }

  // A file of 700 000 notes all struck at once (12 us each): a cancel stops
  // the synthesiser in the middle of them, not after (mpv's reader thread
  // must come back when the player lets the file go), and playing on takes
  // a bounded time per block.
  void cancelStopsABurstOfEvents() {
    if (!haveSoundFont()) QSKIP("the General MIDI soundfont is not installed");
    QByteArray events = bytes({0x00, 0x90});
    events.reserve(16 << 20);
    while (events.size() < (2 << 20) - 64)
      events += bytes({36 + int(events.size() % 60), 1 + int(events.size() % 127), 0x00});
    events.chop(1);
    const auto song = songOf(midiHeader(0, 1, 96) + track(events + kEnd));
    QVERIFY(song);
    MidiSynthesis synthesis(song);
    std::atomic<bool> cancel{false};
    Samples out(8192);
    QVERIFY(synthesis.seek(0, cancel));  // the soundfont is loaded
    std::thread canceller([&] {
      // Cancels while the seek runs: the seek must stop on it. The wait lets
      // the render start first, on purpose.
      std::this_thread::sleep_for(std::chrono::milliseconds(30));  // on purpose
      cancel = true;
    });
    QElapsedTimer t;
    t.start();
    const qint64 n = synthesis.render(out.data(), 4096, cancel);
    const qint64 ms = t.elapsed();
    canceller.join();
    QCOMPARE(n, qint64(-1));
    QVERIFY2(ms < 300, qPrintable(QString::number(ms)));
  }

  void refusesSongsTooLongToPlay() {
    const QByteArray file = midiHeader(0, 1, 1) + track(vlq(0x0fffffff) + kEnd.mid(1));
    const auto timing = MidiTiming::parse(file);
    QVERIFY(timing);
    QVERIFY(timing->durationSeconds() > MidiSong::kMaxSeconds);
    QVERIFY(!MidiSong::make(file, *timing, defaultSoundFont()));
    // Six hours still fit in the image.
    const auto six = songOf(midiHeader(0, 1, 480) + midiTrack(1, 480 * 2 * (6 * 3600 - 2)));
    QVERIFY(six);
    QVERIFY(MidiStreams::imageSize(*six) < (qint64(1) << 32));
  }
};

QTEST_GUILESS_MAIN(TestMidi)

#include "test_midi.moc"
