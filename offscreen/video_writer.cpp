#include "offscreen/video_writer.h"

#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace orvex::offscreen {

struct VideoWriter::Av {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  SwsContext* scale = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  bool headerWritten = false;

  ~Av() {
    sws_freeContext(scale);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    if (format != nullptr) {
      avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }

  // Sends frame (null: the end) and writes every packet the encoder has ready.
  bool encode(AVFrame* input) {
    if (avcodec_send_frame(codec, input) < 0) return false;
    for (;;) {
      const int got = avcodec_receive_packet(codec, packet);
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
      if (got < 0) return false;
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(format, packet) < 0) return false;
    }
  }

  // The muxer, stream, encoder, frame and packet; false when out of memory.
  bool allocate(const AVCodec* encoder, const char* muxer, const std::string& file);
  // Sets the encoder up for frames of this size and rate and opens it; libavcodec's code.
  int openEncoder(const AVCodec* encoder, VideoFormat kind, int width, int height, int fps);
  // The stream's parameters from the open encoder and the frame's buffer; false when out
  // of memory.
  bool prepareFrame(int width, int height);
  bool makeConverter(int width, int height);
  // Opens the file and writes the container's header; libavformat's code.
  int writeHeader(const std::string& file, bool mp4);
};

namespace {

std::string avText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// Quality first but fast enough for a hundred frames in seconds: constant quality, the
// encoders' quick presets.
void setEncoderOptions(VideoFormat format, AVDictionary** options) {
  if (format == VideoFormat::kMp4) {
    av_dict_set(options, "preset", "veryfast", 0);
    av_dict_set(options, "crf", "20", 0);
  } else {
    av_dict_set(options, "crf", "30", 0);
    av_dict_set(options, "b", "0", 0);
    av_dict_set(options, "deadline", "realtime", 0);
    av_dict_set(options, "cpu-used", "8", 0);
    av_dict_set(options, "row-mt", "1", 0);
  }
}

}  // namespace

bool VideoWriter::Av::allocate(const AVCodec* encoder, const char* muxer,
                               const std::string& file) {
  // The muxer is named, as the temporary's name has no extension; it is also given the
  // name, so faststart can reopen the file to move the index.
  return avformat_alloc_output_context2(&format, nullptr, muxer, file.c_str()) >= 0 &&
         (stream = avformat_new_stream(format, nullptr)) != nullptr &&
         (codec = avcodec_alloc_context3(encoder)) != nullptr &&
         (frame = av_frame_alloc()) != nullptr && (packet = av_packet_alloc()) != nullptr;
}

int VideoWriter::Av::openEncoder(const AVCodec* encoder, VideoFormat kind, int width, int height,
                                 int fps) {
  AVCodecContext* c = codec;
  c->width = width;
  c->height = height;
  c->time_base = AVRational{1, fps};
  c->framerate = AVRational{fps, 1};
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->gop_size = 2 * fps;
  c->color_primaries = AVCOL_PRI_BT709;
  c->color_trc = AVCOL_TRC_BT709;
  c->colorspace = AVCOL_SPC_BT709;
  c->color_range = AVCOL_RANGE_MPEG;
  if (format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* options = nullptr;
  setEncoderOptions(kind, &options);
  const int opened = avcodec_open2(c, encoder, &options);
  av_dict_free(&options);
  return opened;
}

bool VideoWriter::Av::prepareFrame(int width, int height) {
  avcodec_parameters_from_context(stream->codecpar, codec);
  stream->time_base = codec->time_base;
  frame->format = codec->pix_fmt;
  frame->width = width;
  frame->height = height;
  return av_frame_get_buffer(frame, 0) >= 0;
}

bool VideoWriter::Av::makeConverter(int width, int height) {
  scale = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, AV_PIX_FMT_YUV420P,
                         SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (scale == nullptr) return false;
  // The matrix the stream is tagged with, BT.709, limited range.
  sws_setColorspaceDetails(scale, sws_getCoefficients(SWS_CS_ITU709), 1,
                           sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
  return true;
}

int VideoWriter::Av::writeHeader(const std::string& file, bool mp4) {
  const int io = avio_open(&format->pb, file.c_str(), AVIO_FLAG_WRITE);
  AVDictionary* muxing = nullptr;
  // The index first, so a browser starts playing before the whole file has arrived.
  if (mp4) av_dict_set(&muxing, "movflags", "+faststart", 0);
  const int header = io < 0 ? io : avformat_write_header(format, &muxing);
  av_dict_free(&muxing);
  return header;
}

VideoWriter::VideoWriter() : av_(std::make_unique<Av>()) {}
VideoWriter::~VideoWriter() = default;

bool VideoWriter::open(const std::string& path, VideoFormat format, int width, int height, int fps,
                       std::string* error) {
  path_ = path;
  const bool mp4 = format == VideoFormat::kMp4;
  const char* encoderName = mp4 ? "libx264" : "libvpx-vp9";
  const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName);
  if (encoder == nullptr) {
    *error = path + ": this system's libavcodec has no " + encoderName + " encoder";
    return false;
  }
  if (!file_.open(path, error)) return false;
  // libavformat writes through a descriptor of its own, opened by name below; the one it
  // reports a delayed write error on is that one's close.
  ::close(file_.releaseFd());
  // Our own one-line errors say what failed; the libraries' chatter would only add noise.
  av_log_set_level(AV_LOG_QUIET);
  Av& av = *av_;
  if (!av.allocate(encoder, mp4 ? "mp4" : "webm", file_.temporaryPath())) {
    *error = path + ": out of memory";
    return false;
  }
  const int opened = av.openEncoder(encoder, format, width, height, fps);
  if (opened < 0) {
    *error = path + ": cannot start the " + encoderName + " encoder: " + avText(opened);
    return false;
  }
  if (!av.prepareFrame(width, height)) {
    *error = path + ": out of memory";
    return false;
  }
  if (!av.makeConverter(width, height)) {
    *error = path + ": cannot convert RGB to YUV";
    return false;
  }
  const int header = av.writeHeader(file_.temporaryPath(), mp4);
  if (header < 0) {
    *error = path + ": cannot write: " + avText(header);
    return false;
  }
  av.headerWritten = true;
  return true;
}

bool VideoWriter::add(const RgbImage& image, std::string* error) {
  Av& av = *av_;
  if (av_frame_make_writable(av.frame) < 0) {
    *error = path_ + ": out of memory";
    return false;
  }
  const std::uint8_t* source[1] = {image.pixels.data()};
  const int stride[1] = {image.width * 3};
  sws_scale(av.scale, source, stride, 0, image.height, av.frame->data, av.frame->linesize);
  av.frame->pts = next_++;
  if (!av.encode(av.frame)) {
    *error = path_ + ": cannot encode the video";
    return false;
  }
  return true;
}

bool VideoWriter::finish(std::string* error) {
  Av& av = *av_;
  if (!av.encode(nullptr)) {
    *error = path_ + ": cannot encode the video";
    return false;
  }
  const int trailer = av_write_trailer(av.format);
  // A full disk or a quota may show only at the close.
  const int closed = avio_closep(&av.format->pb);
  if (trailer < 0 || closed < 0) {
    *error = path_ + ": cannot write: " + avText(trailer < 0 ? trailer : closed);
    return false;
  }
  return file_.commit(error);
}

}  // namespace orvex::offscreen
