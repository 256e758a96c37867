#include "media/gst_media_player.hpp"

#include <fcntl.h>
#include <gst/gst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "rules.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"

namespace media {

namespace {

constexpr const char* Source = "MediaPlayer";

// Notes that belong to the process, not to one control, are said once.
void sayOnce(std::once_flag& flag, const std::string& text) {
    std::call_once(flag, [&] { std::fprintf(stderr, "dovetune: %s\n", text.c_str()); });
}
std::once_flag g_fallbackNote;
std::once_flag g_sinkNote;

// MP3 goes to mpg123 rather than to the libav decoders of the same rank:
// libav's plugin takes longer to load than the whole rest of a start, and
// mpg123 decodes every MPEG audio layer. A rank the user set through
// GST_PLUGIN_FEATURE_RANK is left alone.
void preferMpg123() {
    const char* ranks = std::getenv("GST_PLUGIN_FEATURE_RANK");
    if (ranks && std::strstr(ranks, "mpg123audiodec")) return;
    GstPluginFeature* f = gst_registry_lookup_feature(gst_registry_get(), "mpg123audiodec");
    if (!f) return;
    if (gst_plugin_feature_get_rank(f) < GST_RANK_PRIMARY) gst_plugin_feature_set_rank(f, GST_RANK_PRIMARY);
    gst_object_unref(f);
}

bool initGStreamer() {
    static bool ok = [] {
        GError* err = nullptr;
        bool r = gst_init_check(nullptr, nullptr, &err);
        if (err) g_error_free(err);
        if (r) preferMpg123();
        return r;
    }();
    return ok;
}

// Why path names no regular file this process can open for reading, in a
// few words for the user; nullptr when it does. O_NONBLOCK: a named pipe
// must not hang the UI thread; it is refused below.
const char* whyNotOpen(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == EACCES || errno == EPERM ? "Cannot be read" : "File not found";
    struct stat st {};
    bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular ? nullptr : "Not a file";
}

// Seconds (0 or more) as a clock time; a time beyond what the clock holds
// (a position asked of a stream of unknown length) becomes its largest value.
gint64 toClock(double seconds) {
    double ns = seconds * static_cast<double>(GST_SECOND) + 0.5;
    constexpr double limit = static_cast<double>(G_MAXINT64 / 2);
    return ns >= limit ? static_cast<gint64>(limit) : static_cast<gint64>(ns);
}

double toSeconds(gint64 t) { return static_cast<double>(t) / static_cast<double>(GST_SECOND); }

// The audio sink: DOVETUNE_AUDIO_SINK's description, else autoaudiosink,
// else a fakesink that keeps to the clock.
GstElement* makeAudioSink(bool& automatic) {
    automatic = false;
    if (const char* desc = std::getenv("DOVETUNE_AUDIO_SINK"); desc && *desc) {
        GError* err = nullptr;
        GstElement* sink = gst_parse_bin_from_description_full(desc, TRUE, nullptr,
                                                               GST_PARSE_FLAG_NO_SINGLE_ELEMENT_BINS, &err);
        if (sink && !err) return sink;
        sayOnce(g_sinkNote, std::string("DOVETUNE_AUDIO_SINK \"") + desc +
                                "\" cannot be used (" + (err ? err->message : "unknown error") +
                                "); using the default sound output");
        if (err) g_error_free(err);
        if (sink) gst_object_unref(sink);
    }
    if (GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr)) {
        automatic = true;
        return sink;
    }
    sayOnce(g_fallbackNote, "no sound output is available; playing without sound");
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (sink) g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

// The balance filter: the other channel is attenuated by the balance in
// hundredths of a decibel (audiopanorama's simple method scales only the
// channel away from the side the panorama points to).
double panoramaFor(std::int32_t balance) {
    if (balance == 0) return 0.0;
    double factor = rules::amplitude(-std::abs(balance));
    return balance < 0 ? -(1.0 - factor) : (1.0 - factor);
}

}  // namespace

struct GstMediaPlayer::Impl {
    enum class Phase { Closed, Opening, Ready, Failed };

    GstMediaPlayer* owner = nullptr;  // cleared when the control goes away
    runtime::Scheduler* ui = nullptr;
    std::weak_ptr<Impl> self;          // set once, before the bus is watched

    GstElement* playbin = nullptr;
    GstElement* panorama = nullptr;    // inside the audio filter; may be absent
    GstElement* autoSink = nullptr;    // the autoaudiosink, when it is the sink
    GstElement* audioSink = nullptr;   // the audio sink, asked for the position

    // Messages carry the generations current when they were posted; a message
    // of a file since replaced (file) or an end of a play since stopped or
    // moved by a seek (play) is dropped on the UI thread.
    std::atomic<std::uint64_t> fileGen{0};
    std::atomic<std::uint64_t> playGen{0};

    // UI-thread state.
    std::string name;       // the name last written, as written
    std::string openName;   // the file the control holds ("" none)
    Phase phase = Phase::Closed;
    std::int32_t intent = Stopped;  // what PlayState reports
    double pendingPosition = 0.0;   // asked for while opening
    double lastPosition = 0.0;      // the target of the last seek
    bool seekPending = false;       // a seek not yet prerolled
    bool atEnd = false;             // played to its end; Play starts again
    bool buffering = false;
    bool live = false;
    bool isRolling = false;
    double durationCache = 0.0;
    double rate = DefaultRate;
    std::int32_t volume = DefaultVolume;
    std::int32_t balance = 0;
    bool mute = false;
    float width = 0.0f;

    ~Impl() {
        if (!playbin) return;
        gst_element_set_state(playbin, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(playbin);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        if (panorama) gst_object_unref(panorama);
        if (autoSink) gst_object_unref(autoSink);
        if (audioSink) gst_object_unref(audioSink);
        gst_object_unref(playbin);
    }

    // ---------------------------------------------------------- bus thread

    // A sync handler that drops a message owns it: each one is released here
    // or by the call posted with it. (A message holds its element, so one
    // kept would keep a track's whole decoding chain alive.)
    static GstBusSyncReply onBus(GstBus*, GstMessage* msg, gpointer data) {
        auto* impl = static_cast<Impl*>(data);
        bool wanted = false;
        switch (GST_MESSAGE_TYPE(msg)) {
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_ASYNC_DONE:
        case GST_MESSAGE_DURATION_CHANGED:
        case GST_MESSAGE_BUFFERING:
            wanted = true;
            break;
        case GST_MESSAGE_STATE_CHANGED:
            wanted = GST_MESSAGE_SRC(msg) == GST_OBJECT(impl->playbin);
            break;
        default:
            break;
        }
        if (!wanted) {
            gst_message_unref(msg);
            return GST_BUS_DROP;
        }
        std::shared_ptr<GstMessage> ref(msg, gst_message_unref);  // takes over the bus's reference
        std::uint64_t fg = impl->fileGen.load();
        std::uint64_t pg = impl->playGen.load();
        std::weak_ptr<Impl> weak = impl->self;
        impl->ui->post([weak, ref, fg, pg] {
            if (auto s = weak.lock()) s->handle(ref.get(), fg, pg);
        });
        return GST_BUS_DROP;
    }

    // ------------------------------------------------------------ UI thread

    void handle(GstMessage* msg, std::uint64_t fg, std::uint64_t pg) {
        if (fg != fileGen.load()) return;
        switch (GST_MESSAGE_TYPE(msg)) {
        case GST_MESSAGE_ERROR:
            onError(msg);
            break;
        case GST_MESSAGE_EOS:
            if (pg == playGen.load()) onEndOfStream();
            break;
        case GST_MESSAGE_ASYNC_DONE:
            seekPending = false;
            if (phase == Phase::Opening) becomeReady();
            break;
        case GST_MESSAGE_STATE_CHANGED: {
            GstState oldState, newState, pending;
            gst_message_parse_state_changed(msg, &oldState, &newState, &pending);
            isRolling = newState == GST_STATE_PLAYING;
            break;
        }
        case GST_MESSAGE_DURATION_CHANGED:
            queryDuration(true);
            break;
        case GST_MESSAGE_BUFFERING: {
            gint percent = 100;
            gst_message_parse_buffering(msg, &percent);
            if (live) break;
            bool was = buffering;
            buffering = percent < 100;
            if (was != buffering && phase == Phase::Ready && intent == Playing && !atEnd)
                gst_element_set_state(playbin, buffering ? GST_STATE_PAUSED : GST_STATE_PLAYING);
            break;
        }
        default:
            break;
        }
    }

    // What a user is told of a pipeline's error, in a few words.
    static std::string reasonOf(const GError* err) {
        if (!err) return "Cannot be played";
        if (err->domain == GST_STREAM_ERROR) {
            switch (err->code) {
            case GST_STREAM_ERROR_TYPE_NOT_FOUND:
            case GST_STREAM_ERROR_WRONG_TYPE:
                return "Not audio";
            case GST_STREAM_ERROR_CODEC_NOT_FOUND:
                return "No decoder for it";
            default:
                return "Cannot be decoded";
            }
        }
        if (err->domain == GST_CORE_ERROR && err->code == GST_CORE_ERROR_MISSING_PLUGIN) return "No decoder for it";
        if (err->domain == GST_RESOURCE_ERROR) {
            switch (err->code) {
            case GST_RESOURCE_ERROR_NOT_FOUND:
                return "File not found";
            case GST_RESOURCE_ERROR_OPEN_READ:
            case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
            case GST_RESOURCE_ERROR_READ:
            case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
                return "Cannot be read";
            default:
                break;
            }
        }
        return err->message ? err->message : "Cannot be played";
    }

    void onError(GstMessage* msg) {
        if (phase == Phase::Failed || phase == Phase::Closed) return;
        GError* err = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(msg, &err, &debug);
        std::fprintf(stderr, "dovetune: cannot play \"%s\": %s\n", openName.c_str(),
                     err ? err->message : "unknown error");
        const std::string reason = reasonOf(err);
        if (err) g_error_free(err);
        g_free(debug);
        gst_element_set_state(playbin, GST_STATE_NULL);
        ++fileGen;  // whatever else that run posted is of no interest now
        phase = Phase::Failed;
        intent = Stopped;
        isRolling = false;
        seekPending = false;
        durationCache = 0.0;
        // Last: the handler may open the next file or close the window.
        if (owner) owner->raiseError(reason);
    }

    void onEndOfStream() {
        if (phase != Phase::Ready || atEnd) return;
        atEnd = true;
        intent = Stopped;
        gst_element_set_state(playbin, GST_STATE_PAUSED);
        // Last: the handler may open the next file or close the window.
        if (owner) owner->raiseEndOfStream();
    }

    // The file has prerolled: what was asked for while it opened is applied
    // in order, before any sound.
    void becomeReady() {
        phase = Phase::Ready;
        checkSinkFallback();
        double dur = queryDuration();
        double pos = pendingPosition;
        pendingPosition = 0.0;
        if (dur > 0.0 && pos > dur) pos = 0.0;  // refused now that the length is known
        lastPosition = pos;
        if (pos > 0.0 || rate != 1.0) seekTo(pos);
        if (intent == Playing && !buffering) gst_element_set_state(playbin, GST_STATE_PLAYING);
    }

    // autoaudiosink quietly plays into a fakesink when no device opens; say so.
    void checkSinkFallback() {
        if (!autoSink || !GST_IS_BIN(autoSink)) return;
        GstIterator* it = gst_bin_iterate_elements(GST_BIN(autoSink));
        GValue item = G_VALUE_INIT;
        bool fake = false;
        while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            auto* child = GST_ELEMENT(g_value_get_object(&item));
            GstElementFactory* f = gst_element_get_factory(child);
            if (f && std::string(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(f))) == "fakesink") fake = true;
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(it);
        if (fake) sayOnce(g_fallbackNote, "no sound device could be opened; playing without sound");
    }

    // A length once known is kept until the pipeline says it changed: asking
    // the pipeline walks it up to the demuxer, and a clock label asks on
    // every tick.
    double queryDuration(bool changed = false) {
        if (durationCache > 0.0 && !changed) return durationCache;
        gint64 d = 0;
        if (playbin && phase == Phase::Ready && gst_element_query_duration(playbin, GST_FORMAT_TIME, &d) && d > 0)
            durationCache = toSeconds(d);
        return durationCache;
    }

    bool seekTo(double seconds) {
        bool ok = gst_element_seek(playbin, rate, GST_FORMAT_TIME,
                                   static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                   GST_SEEK_TYPE_SET, toClock(seconds),
                                   GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
        if (ok) {
            lastPosition = seconds;
            seekPending = true;
        }
        return ok;
    }

    void closeFile() {
        gst_element_set_state(playbin, GST_STATE_NULL);
        // After the state change no streaming thread runs, so every message of
        // the old file carries the old generation.
        ++fileGen;
        ++playGen;
        phase = Phase::Closed;
        openName.clear();
        intent = Stopped;
        pendingPosition = lastPosition = 0.0;
        seekPending = atEnd = buffering = live = isRolling = false;
        durationCache = 0.0;
    }

    void open(std::string_view newName) {
        name = std::string(newName);
        closeFile();
        if (newName.empty()) return;
        rules::checkFileName(newName);
        std::string uri;
        if (rules::isUrl(newName)) {
            uri = name;
        } else {
            std::string path = runtime::ResolvePath(newName);
            if (const char* why = whyNotOpen(path)) runtime::raise(runtime::err::FileNotFound, Source, why);
            gchar* u = gst_filename_to_uri(path.c_str(), nullptr);
            if (!u) runtime::raise(runtime::err::FileNotFound, Source);
            uri = u;
            g_free(u);
        }
        openName = name;
        phase = Phase::Opening;
        intent = Playing;
        g_object_set(playbin, "uri", uri.c_str(), nullptr);
        GstStateChangeReturn r = gst_element_set_state(playbin, GST_STATE_PAUSED);
        if (r == GST_STATE_CHANGE_NO_PREROLL) {
            live = true;
            becomeReady();
        }
        // A failure arrives as an error message and is reported from there.
    }

    void applyVolume() { g_object_set(playbin, "volume", rules::amplitude(volume), nullptr); }
    void applyBalance() {
        if (panorama) g_object_set(panorama, "panorama", static_cast<gfloat>(panoramaFor(balance)), nullptr);
    }
};

GstMediaPlayer::GstMediaPlayer(runtime::Scheduler& ui) {
    if (!initGStreamer()) runtime::raise(runtime::err::CantCreateObject, Source, "GStreamer cannot start");
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) runtime::raise(runtime::err::CantCreateObject, Source, "GStreamer's playbin is missing");
    gst_object_ref_sink(playbin);

    impl_ = std::make_shared<Impl>();
    impl_->owner = this;
    impl_->ui = &ui;
    impl_->self = impl_;
    impl_->playbin = playbin;

    // Audio only: no video or subtitle branches.
    gint flags = 0;
    g_object_get(playbin, "flags", &flags, nullptr);
    flags &= ~(0x1 /* video */ | 0x4 /* text */ | 0x8 /* vis */);
    flags |= 0x2; /* audio */
    g_object_set(playbin, "flags", flags, nullptr);
    if (GstElement* video = gst_element_factory_make("fakesink", nullptr)) g_object_set(playbin, "video-sink", video, nullptr);

    bool automatic = false;
    if (GstElement* sink = makeAudioSink(automatic)) {
        if (automatic) impl_->autoSink = GST_ELEMENT(gst_object_ref(sink));
        impl_->audioSink = GST_ELEMENT(gst_object_ref(sink));
        g_object_set(playbin, "audio-sink", sink, nullptr);
    }

    GError* err = nullptr;
    GstElement* filter = gst_parse_bin_from_description("audioconvert ! audiopanorama name=balance method=simple",
                                                        TRUE, &err);
    if (filter && !err) {
        impl_->panorama = gst_bin_get_by_name(GST_BIN(filter), "balance");
        g_object_set(playbin, "audio-filter", filter, nullptr);
    } else if (filter) {
        gst_object_unref(filter);
    }
    if (err) g_error_free(err);

    impl_->applyVolume();
    impl_->applyBalance();
    g_object_set(playbin, "mute", FALSE, nullptr);

    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(bus, &Impl::onBus, impl_.get(), nullptr);
    gst_object_unref(bus);
}

GstMediaPlayer::~GstMediaPlayer() {
    // A message being handled right now keeps the pipeline alive until it
    // returns; it no longer reaches this object.
    impl_->owner = nullptr;
}

std::string GstMediaPlayer::fileName() const { return impl_->name; }

void GstMediaPlayer::setFileName(std::string_view name) { impl_->open(name); }

double GstMediaPlayer::currentPosition() const {
    auto& s = *impl_;
    switch (s.phase) {
    case Impl::Phase::Opening:
        return s.pendingPosition;
    case Impl::Phase::Ready: {
        if (s.seekPending) return s.lastPosition;
        gint64 pos = 0;
        // The pipeline plays audio only, so its position is its audio sink's;
        // the sink answers without the walk through playbin's bins (a clock
        // label asks on every tick).
        if (s.audioSink && gst_element_query_position(s.audioSink, GST_FORMAT_TIME, &pos) && pos >= 0)
            return toSeconds(pos);
        if (gst_element_query_position(s.playbin, GST_FORMAT_TIME, &pos) && pos >= 0) return toSeconds(pos);
        return s.lastPosition;
    }
    default:
        return 0.0;
    }
}

void GstMediaPlayer::setCurrentPosition(double seconds) {
    auto& s = *impl_;
    double p = rules::checkPosition(seconds);
    switch (s.phase) {
    case Impl::Phase::Opening:
        s.pendingPosition = p;
        return;
    case Impl::Phase::Ready:
        rules::checkWithinDuration(p, s.queryDuration());
        // A new play from here: an end already on its way belongs to the old one.
        ++s.playGen;
        if (!s.seekTo(p)) rules::refuse("CurrentPosition");
        s.atEnd = false;  // Play goes on from here
        return;
    default:
        rules::refuse("CurrentPosition");  // no file is open
    }
}

double GstMediaPlayer::duration() const { return impl_->queryDuration(); }

double GstMediaPlayer::rate() const { return impl_->rate; }

void GstMediaPlayer::setRate(double rate) {
    rules::checkRate(rate);
    auto& s = *impl_;
    double old = s.rate;
    s.rate = rate;
    if (s.phase != Impl::Phase::Ready || s.atEnd || rate == old) return;
    if (!s.seekTo(currentPosition())) {
        s.rate = old;
        rules::refuse("Rate");
    }
}

std::int32_t GstMediaPlayer::volume() const { return impl_->volume; }

void GstMediaPlayer::setVolume(std::int32_t v) {
    rules::checkVolume(v);
    impl_->volume = v;
    impl_->applyVolume();
}

std::int32_t GstMediaPlayer::balance() const { return impl_->balance; }

void GstMediaPlayer::setBalance(std::int32_t b) {
    rules::checkBalance(b);
    impl_->balance = b;
    impl_->applyBalance();
}

bool GstMediaPlayer::mute() const { return impl_->mute; }

void GstMediaPlayer::setMute(bool m) {
    impl_->mute = m;
    g_object_set(impl_->playbin, "mute", m ? TRUE : FALSE, nullptr);
}

std::int32_t GstMediaPlayer::playState() const {
    auto phase = impl_->phase;
    return phase == Impl::Phase::Opening || phase == Impl::Phase::Ready ? impl_->intent : Stopped;
}

void GstMediaPlayer::play() {
    auto& s = *impl_;
    if (s.phase == Impl::Phase::Opening) {
        s.intent = Playing;
    } else if (s.phase == Impl::Phase::Ready) {
        if (s.atEnd) {
            s.atEnd = false;
            s.seekTo(0.0);
        }
        s.intent = Playing;
        if (!s.buffering) gst_element_set_state(s.playbin, GST_STATE_PLAYING);
    }
}

void GstMediaPlayer::pause() {
    auto& s = *impl_;
    if (s.phase == Impl::Phase::Opening) {
        s.intent = Paused;
    } else if (s.phase == Impl::Phase::Ready) {
        s.intent = Paused;
        gst_element_set_state(s.playbin, GST_STATE_PAUSED);
    }
}

void GstMediaPlayer::stop() {
    auto& s = *impl_;
    if (s.phase == Impl::Phase::Opening) {
        s.intent = Stopped;
        s.pendingPosition = 0.0;
    } else if (s.phase == Impl::Phase::Ready) {
        s.intent = Stopped;
        gst_element_set_state(s.playbin, GST_STATE_PAUSED);
        s.seekTo(0.0);
        s.atEnd = false;
    } else {
        return;
    }
    ++s.playGen;  // an end-of-stream already on its way is not raised
}

std::string GstMediaPlayer::getMediaInfoString(std::int32_t kind) const {
    return kind == ClipFileName ? impl_->openName : std::string();
}

float GstMediaPlayer::width() const { return impl_->width; }

void GstMediaPlayer::setWidth(float twips) { impl_->width = twips; }

bool GstMediaPlayer::rolling() const { return impl_->isRolling; }

}  // namespace media
