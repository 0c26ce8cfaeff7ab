// The demo's music, "demotuin.ogg": rendered by the synthesizer, encoded as Ogg Vorbis.
#include "music/soundtrack.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "generators.h"
#include "music/composition.h"
#include "music/dsp.h"
#include "music/mixer.h"

namespace {

// Any fixed number will do; a random one (as encoders usually pick) would change the
// file on every run.
constexpr int kStreamSerial = 0x4e474454;
constexpr int kChunkFrames = 1024;

void appendPage(const ogg_page& page, std::vector<uint8_t>& out) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

// Moves every finished block through the encoder and every full page into `out`.
void drainEncoder(vorbis_dsp_state& dsp, vorbis_block& block, ogg_stream_state& stream,
                  std::vector<uint8_t>& out) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page)) appendPage(page, out);
        }
    }
}

}  // namespace

std::vector<float> renderSoundtrack() { return renderSong(composeSoundtrack()); }

std::vector<uint8_t> encodeOggVorbis(const std::vector<float>& interleavedStereo,
                                     float quality) {
    std::vector<uint8_t> out;
    // libvorbis turns the quality into a table index; keep NaN and wild values away from it.
    if (!(quality >= -0.1f && quality <= 1.0f)) return out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, kSampleRate, quality) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Night garden");
    vorbis_comment_add_tag(&comment, "ARTIST", "Dorminax");

    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_init(&stream, kStreamSerial);

    // The three header packets go on pages of their own, as players expect.
    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&stream, &identification);
    ogg_stream_packetin(&stream, &comments);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) appendPage(page, out);

    const size_t frames = interleavedStereo.size() / 2;
    for (size_t first = 0; first < frames; first += kChunkFrames) {
        const int count = static_cast<int>(std::min<size_t>(kChunkFrames, frames - first));
        float** channels = vorbis_analysis_buffer(&dsp, count);
        for (int i = 0; i < count; ++i) {
            channels[0][i] = interleavedStereo[2 * (first + i)];
            channels[1][i] = interleavedStereo[2 * (first + i) + 1];
        }
        vorbis_analysis_wrote(&dsp, count);
        drainEncoder(dsp, block, stream, out);
    }
    vorbis_analysis_wrote(&dsp, 0);  // end of stream
    drainEncoder(dsp, block, stream, out);
    while (ogg_stream_flush(&stream, &page)) appendPage(page, out);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

void writeSoundtrack(const DataFolder& folder) {
    const std::vector<uint8_t> bytes = encodeOggVorbis(renderSoundtrack(), kSoundtrackQuality);
    if (bytes.empty()) {
        std::fprintf(stderr, "datagen: the Vorbis encoder refused its settings\n");
        std::exit(1);
    }
    writeBinaryFile(folder.path("demotuin.ogg"), bytes);
}
