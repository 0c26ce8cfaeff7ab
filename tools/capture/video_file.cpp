// Encoding and muxing through libavformat, libavcodec and libswresample.
#include "video_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

#include <algorithm>

#include "core/numeric.h"
#include "scaled_frame.h"

namespace {

// The lossless encoders take 0x00RRGGBB words: bytes B, G, R, 0 in memory.
constexpr AVPixelFormat kLosslessPixels = AV_PIX_FMT_BGR0;
constexpr AVSampleFormat kSourceSamples = AV_SAMPLE_FMT_FLT;
constexpr int kDefaultAudioFrameSize = 1024;

std::string describeError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The encoder's own choice when it takes floats or the music's rate; else its first.
AVSampleFormat sampleFormatFor(const AVCodec* codec) {
    if (!codec->sample_fmts) return AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
        if (*f == AV_SAMPLE_FMT_FLTP || *f == AV_SAMPLE_FMT_FLT) return *f;
    }
    return codec->sample_fmts[0];
}

int sampleRateFor(const AVCodec* codec, int wanted) {
    if (!codec->supported_samplerates) return wanted;
    int best = codec->supported_samplerates[0];
    for (const int* rate = codec->supported_samplerates; *rate != 0; ++rate) {
        if (*rate == wanted) return wanted;
        // Otherwise the nearest rate above the music's, so nothing it holds is lost.
        if (*rate > wanted && (best < wanted || *rate < best)) best = *rate;
    }
    return best;
}

}  // namespace

VideoFile::~VideoFile() {
    if (container_ && container_->pb) avio_closep(&container_->pb);
    avformat_free_context(container_);
    for (Track* track : {&video_, &audio_}) {
        avcodec_free_context(&track->encoder);
        av_frame_free(&track->frame);
    }
    av_packet_free(&packet_);
    swr_free(&resampler_);
    if (audioQueue_) av_audio_fifo_free(audioQueue_);
    if (!resampled_.empty()) av_freep(&resampled_[0]);
}

bool VideoFile::fail(const std::string& what, int code) {
    if (code >= 0) error_ = what;
    else error_ = what.empty() ? describeError(code) : what + ": " + describeError(code);
    return false;
}

bool VideoFile::open(const std::string& path, const VideoFormat& format,
                     const VideoFileSettings& settings) {
    int code = avformat_alloc_output_context2(&container_, nullptr, format.muxer, path.c_str());
    if (code < 0) return fail(std::string("no ") + format.muxer + " muxer", code);
    // No random identifiers and no version strings: the same capture gives the same bytes.
    container_->flags |= AVFMT_FLAG_BITEXACT;
    av_dict_set(&container_->metadata, "title", "Dorminax", 0);
    packet_ = av_packet_alloc();
    if (!packet_) return fail("out of memory");
    if (!openVideo(format, settings)) return false;
    if (settings.audioSampleRate > 0 && !openAudio(format, settings)) return false;
    if (!addChapters(settings)) return false;

    code = avio_open(&container_->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (code < 0) return fail("", code);
    AVDictionary* options = nullptr;
    av_dict_parse_string(&options, format.muxerOptions, "=", " ", 0);
    code = avformat_write_header(container_, &options);
    av_dict_free(&options);
    if (code < 0) return fail("", code);
    return true;
}

// The chapters go into the header, which every muxer writes them with (the context frees
// them with itself).
bool VideoFile::addChapters(const VideoFileSettings& settings) {
    for (size_t i = 0; i < settings.chapters.size(); ++i) {
        const VideoChapter& chapter = settings.chapters[i];
        AVChapter* entry = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!entry) return fail("out of memory");
        entry->id = int64_t(i) + 1;
        entry->time_base = AVRational{1, settings.fps};
        entry->start = chapter.firstFrame;
        entry->end = chapter.endFrame;
        av_dict_set(&entry->metadata, "title", chapter.title.c_str(), 0);
        int* count = reinterpret_cast<int*>(&container_->nb_chapters);
        if (av_dynarray_add_nofree(&container_->chapters, count, entry) < 0) {
            av_dict_free(&entry->metadata);
            av_free(entry);
            return fail("out of memory");
        }
    }
    return true;
}

bool VideoFile::openEncoder(Track& track, const char* options) {
    if (container_->oformat->flags & AVFMT_GLOBALHEADER)
        track.encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    track.encoder->flags |= AV_CODEC_FLAG_BITEXACT;
    track.encoder->thread_count = 0;  // as many as the machine has
    AVDictionary* dictionary = nullptr;
    av_dict_parse_string(&dictionary, options, "=", " ", 0);
    // Named first: an encoder that fails to open forgets its codec.
    const AVCodec* codec = track.encoder->codec;
    const std::string name = codec->name;
    int code = avcodec_open2(track.encoder, codec, &dictionary);
    const AVDictionaryEntry* unused = av_dict_get(dictionary, "", nullptr, AV_DICT_IGNORE_SUFFIX);
    const std::string unusedName = unused ? unused->key : "";
    av_dict_free(&dictionary);
    if (code < 0) return fail("cannot start the " + name + " encoder", code);
    if (!unusedName.empty()) return fail("the " + name + " encoder has no option " + unusedName);

    track.stream = avformat_new_stream(container_, nullptr);
    if (!track.stream) return fail("out of memory");
    track.stream->time_base = track.encoder->time_base;
    code = avcodec_parameters_from_context(track.stream->codecpar, track.encoder);
    if (code < 0) return fail("cannot describe the " + name + " stream", code);
    track.frame = av_frame_alloc();
    return track.frame ? true : fail("out of memory");
}

bool VideoFile::openVideo(const VideoFormat& format, const VideoFileSettings& settings) {
    const AVCodec* codec = avcodec_find_encoder_by_name(format.videoEncoder);
    if (!codec) return fail(std::string("this FFmpeg has no ") + format.videoEncoder + " encoder");
    AVCodecContext* c = video_.encoder = avcodec_alloc_context3(codec);
    if (!c) return fail("out of memory");
    scale_ = settings.scale;
    c->width = kFrameWidth * settings.scale;
    c->height = kFrameHeight * settings.scale;
    c->sample_aspect_ratio = AVRational{1, 1};
    c->time_base = AVRational{1, settings.fps};
    c->framerate = AVRational{settings.fps, 1};
    if (format.lossless) {
        c->pix_fmt = kLosslessPixels;
        c->color_primaries = AVCOL_PRI_BT709;
        c->color_trc = AVCOL_TRC_IEC61966_2_1;
        c->colorspace = AVCOL_SPC_RGB;
        c->color_range = AVCOL_RANGE_JPEG;
    } else {
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->color_primaries = AVCOL_PRI_BT709;
        c->color_trc = AVCOL_TRC_BT709;
        c->colorspace = AVCOL_SPC_BT709;
        c->color_range = AVCOL_RANGE_MPEG;
    }
    // Key frames for seeking and cutting; 0 seconds makes every frame one.
    c->gop_size = std::max(1, truncToInt(format.keyframeSeconds * settings.fps + 0.5));
    if (!openEncoder(video_, format.videoOptions)) return false;
    video_.stream->avg_frame_rate = c->framerate;

    video_.frame->format = c->pix_fmt;
    video_.frame->width = c->width;
    video_.frame->height = c->height;
    int code = av_frame_get_buffer(video_.frame, 0);
    if (code < 0) return fail("cannot make a video frame", code);
    return true;
}

bool VideoFile::openAudio(const VideoFormat& format, const VideoFileSettings& settings) {
    const AVCodec* codec = avcodec_find_encoder_by_name(format.audioEncoder);
    if (!codec) return fail(std::string("this FFmpeg has no ") + format.audioEncoder + " encoder");
    AVCodecContext* c = audio_.encoder = avcodec_alloc_context3(codec);
    if (!c) return fail("out of memory");
    c->sample_fmt = sampleFormatFor(codec);
    c->sample_rate = sampleRateFor(codec, settings.audioSampleRate);
    av_channel_layout_default(&c->ch_layout, settings.audioChannels);
    c->bit_rate = format.audioBitRate;
    c->time_base = AVRational{1, c->sample_rate};
    if (!openEncoder(audio_, "")) return false;

    AVChannelLayout sourceLayout;
    av_channel_layout_default(&sourceLayout, settings.audioChannels);
    int code = swr_alloc_set_opts2(&resampler_, &c->ch_layout, c->sample_fmt, c->sample_rate,
                                   &sourceLayout, kSourceSamples, settings.audioSampleRate, 0,
                                   nullptr);
    av_channel_layout_uninit(&sourceLayout);
    if (code >= 0) code = swr_init(resampler_);
    if (code < 0) return fail("cannot convert the music for the audio encoder", code);

    const int frameSize = c->frame_size > 0 ? c->frame_size : kDefaultAudioFrameSize;
    audioQueue_ = av_audio_fifo_alloc(c->sample_fmt, c->ch_layout.nb_channels, frameSize);
    if (!audioQueue_) return fail("out of memory");
    audio_.frame->format = c->sample_fmt;
    audio_.frame->sample_rate = c->sample_rate;
    audio_.frame->nb_samples = frameSize;
    code = av_channel_layout_copy(&audio_.frame->ch_layout, &c->ch_layout);
    if (code >= 0) code = av_frame_get_buffer(audio_.frame, 0);
    if (code < 0) return fail("cannot make an audio frame", code);
    return true;
}

bool VideoFile::encode(Track& track, const AVFrame* frame) {
    const std::string failure =
        std::string("the ") + track.encoder->codec->name + " encoder failed";
    int code = avcodec_send_frame(track.encoder, frame);
    if (code < 0) return fail(failure, code);
    for (;;) {
        code = avcodec_receive_packet(track.encoder, packet_);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
        if (code < 0) return fail(failure, code);
        av_packet_rescale_ts(packet_, track.encoder->time_base, track.stream->time_base);
        packet_->stream_index = track.stream->index;
        code = av_interleaved_write_frame(container_, packet_);
        if (code < 0) return fail("", code);
    }
}

bool VideoFile::writeVideoFrame(const uint8_t* indices, const Palette& palette) {
    AVFrame* frame = video_.frame;
    const int code = av_frame_make_writable(frame);
    if (code < 0) return fail("cannot make a video frame", code);
    if (frame->format == kLosslessPixels)
        expandToBgr0(indices, palette, scale_, frame->data[0], frame->linesize[0]);
    else
        expandToYuv420(indices, palette, scale_, frame->data, frame->linesize);
    frame->pts = video_.nextPts++;
    return encode(video_, frame);
}

bool VideoFile::resample(const uint8_t* const* input, int frames) {
    const int capacity = swr_get_out_samples(resampler_, frames);
    if (capacity > resampledCapacity_) {
        if (!resampled_.empty()) av_freep(&resampled_[0]);
        resampled_.assign(audio_.encoder->ch_layout.nb_channels, nullptr);
        const int code = av_samples_alloc(resampled_.data(), nullptr,
                                          audio_.encoder->ch_layout.nb_channels, capacity,
                                          audio_.encoder->sample_fmt, 0);
        if (code < 0) {
            resampled_.clear();
            resampledCapacity_ = 0;
            return fail("out of memory", code);
        }
        resampledCapacity_ = capacity;
    }
    const int converted = swr_convert(resampler_, resampled_.data(), resampledCapacity_,
                                      const_cast<const uint8_t**>(input), frames);
    if (converted < 0) return fail("cannot convert the music", converted);
    if (av_audio_fifo_write(audioQueue_, reinterpret_cast<void**>(resampled_.data()),
                            converted) < converted)
        return fail("out of memory");
    return true;
}

// Hands the encoder whole frames of queued samples; `all` sends the short rest too.
bool VideoFile::encodeQueuedAudio(bool all) {
    AVFrame* frame = audio_.frame;
    const int frameSize = audio_.encoder->frame_size > 0 ? audio_.encoder->frame_size
                                                          : kDefaultAudioFrameSize;
    while (av_audio_fifo_size(audioQueue_) >= frameSize ||
           (all && av_audio_fifo_size(audioQueue_) > 0)) {
        int code = av_frame_make_writable(frame);
        if (code < 0) return fail("cannot make an audio frame", code);
        frame->nb_samples = std::min(frameSize, av_audio_fifo_size(audioQueue_));
        av_audio_fifo_read(audioQueue_, reinterpret_cast<void**>(frame->data), frame->nb_samples);
        frame->pts = audio_.nextPts;
        audio_.nextPts += frame->nb_samples;
        if (!encode(audio_, frame)) return false;
    }
    return true;
}

bool VideoFile::writeAudio(const float* interleaved, int frames) {
    if (!audio_.encoder) return true;
    const uint8_t* const input[] = {reinterpret_cast<const uint8_t*>(interleaved)};
    return resample(input, frames) && encodeQueuedAudio(false);
}

bool VideoFile::finish() {
    if (audio_.encoder) {
        // What the resampler still holds, then the last short frame, then the encoder's own.
        if (!resample(nullptr, 0) || !encodeQueuedAudio(true) || !encode(audio_, nullptr))
            return false;
    }
    if (!encode(video_, nullptr)) return false;
    int code = av_write_trailer(container_);
    if (code < 0) return fail("", code);
    code = avio_closep(&container_->pb);
    if (code < 0) return fail("", code);
    return true;
}
