#include "browser/video_frame.h"

#include <QFile>
#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using Format = std::unique_ptr<AVFormatContext, FormatCloser>;
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;

// How far in the frame is taken: a tenth of the video, at most this long.
constexpr double kLatestSecond = 15.0;

Codec openDecoder(const AVStream* stream) {
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder) {
        return nullptr;
    }
    Codec codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0) {
        return nullptr;
    }
    // One thread: the thumbnails are made on several workers already.
    codec->thread_count = 1;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0) {
        return nullptr;
    }
    return codec;
}

QImage toImage(const AVFrame* frame, int side) {
    if (frame->width <= 0 || frame->height <= 0) {
        return {};
    }
    const double scale = std::min(1.0, double(side) / std::max(frame->width, frame->height));
    const int width = std::max(1, int(frame->width * scale + 0.5));
    const int height = std::max(1, int(frame->height * scale + 0.5));
    SwsContext* sws =
        sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                       width, height, AV_PIX_FMT_RGB32, SWS_AREA, nullptr, nullptr, nullptr);
    if (!sws) {
        return {};
    }
    QImage image(width, height, QImage::Format_RGB32);
    uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(sws);
    return image;
}

// Decodes packets of one stream until a frame comes (or the file ends).
Frame decodeOne(AVFormatContext* format, AVCodecContext* codec, int streamIndex,
                const AVPacket* first = nullptr) {
    Frame frame(av_frame_alloc());
    Packet packet(av_packet_alloc());
    if (!frame || !packet) {
        return nullptr;
    }
    if (first && avcodec_send_packet(codec, first) >= 0 &&
        avcodec_receive_frame(codec, frame.get()) >= 0) {
        return frame;
    }
    constexpr int kMostPackets = 2000;  // a file that never gives a frame is given up
    for (int n = 0; n < kMostPackets; ++n) {
        const int read = av_read_frame(format, packet.get());
        if (read < 0) {
            avcodec_send_packet(codec, nullptr);  // drain what the decoder holds
            return avcodec_receive_frame(codec, frame.get()) >= 0 ? std::move(frame) : nullptr;
        }
        const bool ours = packet->stream_index == streamIndex;
        const int sent = ours ? avcodec_send_packet(codec, packet.get()) : 0;
        av_packet_unref(packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
            continue;
        }
        if (ours && avcodec_receive_frame(codec, frame.get()) >= 0) {
            return frame;
        }
    }
    return nullptr;
}

}  // namespace

QImage videoFrame(const QString& path, int side) {
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr) < 0) {
        return {};
    }
    Format format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) {
        return {};
    }
    // Cover art first: it is what players show for the file.
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && stream->attached_pic.size > 0) {
            Codec codec = openDecoder(stream);
            if (!codec) {
                continue;
            }
            if (Frame frame = decodeOne(format.get(), codec.get(), int(i), &stream->attached_pic)) {
                return toImage(frame.get(), side);
            }
        }
    }
    const int best = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (best < 0 || (format->streams[best]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
        return {};
    }
    const AVStream* stream = format->streams[best];
    Codec codec = openDecoder(stream);
    if (!codec) {
        return {};
    }
    if (format->duration > 0) {
        const double seconds =
            std::min(kLatestSecond, double(format->duration) / AV_TIME_BASE / 10.0);
        const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
        const int64_t target = start + int64_t(seconds / av_q2d(stream->time_base));
        // To the key frame before: decoding from there gives a whole picture.
        if (av_seek_frame(format.get(), best, target, AVSEEK_FLAG_BACKWARD) < 0) {
            av_seek_frame(format.get(), -1, 0, AVSEEK_FLAG_BACKWARD);
        }
    }
    Frame frame = decodeOne(format.get(), codec.get(), best);
    return frame ? toImage(frame.get(), side) : QImage();
}
