// Sound effects and music of the sample game: 8-bit mono PCM, synthesised.
#include "game/data/game_data.h"

#include <math.h>

static const double Pi = 3.14159265358979323846;

enum { SampleRate = 22050 };

// Samples as signed values -1..1, turned into unsigned 8-bit PCM.
static uint8_t ToPcm(double value)
{
    if (value > 1.0)
        value = 1.0;
    if (value < -1.0)
        value = -1.0;
    return (uint8_t)lround(128.0 + value * 127.0);
}

static void WriteWave(const Bytes &samples, Bytes *out)
{
    AppendText(out, "RIFF");
    AppendLittle32(out, (uint32_t)(36 + samples.size()));
    AppendText(out, "WAVEfmt ");
    AppendLittle32(out, 16);
    AppendLittle16(out, 1);  // PCM
    AppendLittle16(out, 1);  // mono
    AppendLittle32(out, SampleRate);
    AppendLittle32(out, SampleRate);
    AppendLittle16(out, 1);
    AppendLittle16(out, 8);
    AppendText(out, "data");
    AppendLittle32(out, (uint32_t)samples.size());
    out->insert(out->end(), samples.begin(), samples.end());
}

// A tone sweeping from one frequency to another under a decaying envelope,
// mixed with some noise.
static void Sweep(double seconds, double fromHz, double toHz, double noise, double decay, uint32_t seed,
                  Bytes *out)
{
    PseudoRandom random;
    SeedRandom(&random, seed);
    int count = (int)(seconds * SampleRate);
    Bytes samples;
    double phase = 0;
    double smoothNoise = 0;
    for (int i = 0; i < count; i++) {
        double t = (double)i / count;
        double frequency = fromHz + (toHz - fromHz) * t;
        phase += 2 * Pi * frequency / SampleRate;
        double tone = sin(phase) > 0 ? 0.6 : -0.6;  // square, as an old sound chip
        tone = 0.5 * tone + 0.5 * sin(phase);
        double white = (double)RandomBelow(&random, 2001) / 1000.0 - 1.0;
        smoothNoise = 0.8 * smoothNoise + 0.2 * white;
        double envelope = exp(-decay * t) * (i < 200 ? i / 200.0 : 1.0);
        samples.push_back(ToPcm(envelope * ((1 - noise) * tone + noise * smoothNoise * 2)));
    }
    WriteWave(samples, out);
}

void MakeJumpSound(Bytes *out) { Sweep(0.45, 220, 880, 0.05, 3.0, 101, out); }
void MakeShotSound(Bytes *out) { Sweep(0.6, 1400, 200, 0.3, 5.0, 102, out); }
void MakeExplosionSound(Bytes *out) { Sweep(1.8, 120, 40, 0.85, 2.5, 103, out); }
void MakePickupSound(Bytes *out) { Sweep(0.35, 988, 1319, 0.0, 1.5, 104, out); }
void MakeDoorSound(Bytes *out) { Sweep(1.2, 90, 60, 0.5, 1.0, 105, out); }

void MakeVoiceOver(Bytes *out)
{
    // A narrator-like signal: a buzzing glottal pulse through moving
    // formant resonances, in syllables with pauses, 40 seconds.
    PseudoRandom random;
    SeedRandom(&random, 0x701CEu);
    Bytes samples;
    const int total = 40 * SampleRate;
    double y1[3] = {0, 0, 0}, y2[3] = {0, 0, 0};
    double pitchPhase = 0;
    int syllableLeft = 0;
    double formant[3] = {500, 1500, 2500};
    double target[3] = {500, 1500, 2500};
    int voiced = 1;
    for (int i = 0; i < total; i++) {
        if (syllableLeft-- <= 0) {
            syllableLeft = 1500 + (int)RandomBelow(&random, 3500);
            voiced = RandomBelow(&random, 6) != 0;
            target[0] = 300 + RandomBelow(&random, 600);
            target[1] = 900 + RandomBelow(&random, 1400);
            target[2] = 2200 + RandomBelow(&random, 900);
        }
        double excitation = 0;
        if (voiced) {
            pitchPhase += (110 + 20 * sin(i / 9000.0)) / SampleRate;
            if (pitchPhase >= 1) {
                pitchPhase -= 1;
                excitation = 1.0;
            }
        } else {
            excitation = ((double)RandomBelow(&random, 2001) / 1000.0 - 1.0) * 0.15;
        }
        double mixed = 0;
        for (int f = 0; f < 3; f++) {
            formant[f] += (target[f] - formant[f]) * 0.002;
            double r = 0.97, theta = 2 * Pi * formant[f] / SampleRate;
            double y = excitation + 2 * r * cos(theta) * y1[f] - r * r * y2[f];
            y2[f] = y1[f];
            y1[f] = y;
            mixed += y / (f + 1);
        }
        int inPause = (i / (SampleRate * 3)) % 2 == 1 && (i % (SampleRate * 3)) < SampleRate / 2;
        samples.push_back(ToPcm(inPause ? 0 : mixed * 0.08));
    }
    WriteWave(samples, out);
}

// Songs: a header, instruments as 8-bit sample data, 64-row patterns of 4
// channels (note, instrument, effect, parameter) and the order list.
void MakeSong(int number, Bytes *out)
{
    enum { Channels = 4, Rows = 64 };
    PseudoRandom random;
    SeedRandom(&random, 0x50E6u + (uint32_t)number);
    const int instruments = 8;
    const int patterns = number == 1 ? 40 : 48;
    AppendText(out, "KMUS");
    AppendLittle16(out, (uint32_t)number);
    AppendLittle16(out, instruments);
    AppendLittle16(out, (uint32_t)patterns);
    AppendLittle16(out, 125);  // tempo
    char title[32] = "Rarivur Ivad Oraz - theme 0";
    title[26] = (char)('0' + number);
    out->insert(out->end(), title, title + 32);
    for (int instrument = 0; instrument < instruments; instrument++) {
        // Each instrument: a short sampled waveform with a decay.
        int length = 6000 + instrument * 3000;
        AppendLittle32(out, (uint32_t)length);
        AppendLittle16(out, (uint32_t)(length / 2));  // loop start
        out->push_back((uint8_t)(40 + instrument * 3));  // volume
        double phase = 0, noise = 0;
        for (int i = 0; i < length; i++) {
            double t = (double)i / length;
            phase += 2 * Pi * (110.0 * (1 + instrument % 4)) / 16000.0;
            double harmonics = sin(phase) + 0.5 * sin(2 * phase + instrument) + 0.25 * sin(3 * phase);
            noise = 0.9 * noise + 0.1 * ((double)RandomBelow(&random, 201) / 100.0 - 1.0);
            double value = instrument >= 6 ? noise * 3 : harmonics * 0.45 + noise * 0.1;
            out->push_back(ToPcm(value * exp(-3 * t)));
        }
    }
    // Patterns follow a chord progression with a bass line and drums, and
    // repeat with variations, as music does.
    static const int scale[8] = {0, 2, 4, 5, 7, 9, 11, 12};
    for (int pattern = 0; pattern < patterns; pattern++) {
        int chord = (pattern * 3 + number) % 8;
        for (int row = 0; row < Rows; row++) {
            for (int channel = 0; channel < Channels; channel++) {
                uint8_t note = 0, instrument = 0, effect = 0, parameter = 0;
                if (channel == 0 && row % 4 == 0) {
                    note = (uint8_t)(36 + scale[(chord + row / 8) % 8]);
                    instrument = 1;
                } else if (channel == 1 && (row % 2 == 0 || RandomBelow(&random, 5) == 0)) {
                    note = (uint8_t)(60 + scale[(chord + (int)RandomBelow(&random, 4) * 2) % 8]);
                    instrument = (uint8_t)(2 + pattern % 3);
                    if (RandomBelow(&random, 7) == 0) {
                        effect = 4;  // vibrato
                        parameter = (uint8_t)(0x40 + RandomBelow(&random, 16));
                    }
                } else if (channel == 2 && row % 8 == 4) {
                    note = (uint8_t)(48 + scale[(chord + 2) % 8]);
                    instrument = 5;
                } else if (channel == 3 && (row % 4 == 0 || (row % 4 == 2 && pattern % 2 == 1))) {
                    note = 30;
                    instrument = (uint8_t)(row % 8 == 0 ? 6 : 7);
                }
                out->push_back(note);
                out->push_back(instrument);
                out->push_back(effect);
                out->push_back(parameter);
            }
        }
    }
    for (int order = 0; order < 128; order++)
        out->push_back((uint8_t)(order < patterns ? order : (order * 7) % patterns));
}
