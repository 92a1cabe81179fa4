#include "components/movie_mux_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "components/avi_mux_filter.h"
#include "components/file_writer_filter.h"
#include "components/movie_reader.h"
#include "components/movie_test_streams.h"
#include "components/qt_mux_filter.h"
#include "media/base_output_pin.h"
#include "media/filter_graph.h"
#include "media/known_ids.h"
#include "support/media_fakes/fake_filters.h"
#include "support/temp_dir.h"

using media_fakes::FakePushSource;
using movie_test::TestStream;
using testing_support::TempDir;

namespace {

class FakeEncoder;

// The output of a stand-in encoder: it offers the stream's description and
// tags to the multiplexer as the real encoder does, and sends whatever
// compressed frames the test gives it.
class FakeEncodedOutput final : public CBaseOutputPin, public IEncodedStream {
public:
    FakeEncodedOutput(CBaseFilter* owner, CritSec& lock, EncodedStreamInfo info, std::vector<MovieTag> tags)
        : CBaseOutputPin(owner, lock, "Output"), info_(std::move(info)), tags_(std::move(tags)) {}

    HRESULT CheckMediaType(const MediaType& type) override {
        return type.majorType == MEDIATYPE_Video ? S_OK : S_FALSE;
    }
    HRESULT GetMediaType(int position, MediaType* type) override {
        if (position < 0) return E_INVALIDARG;
        if (position > 0) return VFW_S_NO_MORE_ITEMS;
        *type = MediaType{};
        type->majorType = MEDIATYPE_Video;
        type->subtype = fourccGuid(info_.codecTag);
        type->fixedSizeSamples = false;
        type->formatType = FORMAT_None;
        return S_OK;
    }
    HRESULT DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) override {
        request->buffers = 2;
        request->bufferBytes = 1 << 20;
        AllocatorProperties granted;
        return allocator->SetProperties(*request, &granted);
    }
    HRESULT GetStreamInfo(EncodedStreamInfo* info) override {
        *info = info_;
        return S_OK;
    }
    HRESULT GetTags(std::vector<MovieTag>* tags) override {
        *tags = tags_;
        return S_OK;
    }

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override {
        if (iid == IEncodedStream::kIid) return returnInterface(static_cast<IEncodedStream*>(this), object);
        return CBaseOutputPin::NonDelegatingQueryInterface(iid, object);
    }

private:
    const EncodedStreamInfo info_;
    const std::vector<MovieTag> tags_;
};

class FakeEncoder final : public CBaseFilter {
public:
    FakeEncoder(EncodedStreamInfo info, std::vector<MovieTag> tags)
        : CBaseFilter(stateLock_, GUID_NULL),
          output_(std::make_unique<FakeEncodedOutput>(this, pinLock_, std::move(info), std::move(tags))) {}

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? output_.get() : nullptr; }

    HRESULT deliver(const std::vector<std::uint8_t>& bytes, std::int64_t start, std::int64_t stop) {
        ComPtr<IMediaSample> sample;
        HRESULT hr = output_->GetDeliveryBuffer(&sample, &start, &stop, 0);
        if (failed(hr)) return hr;
        std::uint8_t* data = nullptr;
        sample->GetPointer(&data);
        std::memcpy(data, bytes.data(), bytes.size());
        sample->SetActualDataLength(static_cast<std::int32_t>(bytes.size()));
        sample->SetSyncPoint(true);
        return output_->Deliver(sample.get());
    }
    HRESULT deliverEndOfStream() { return output_->DeliverEndOfStream(); }

private:
    CritSec stateLock_;
    CritSec pinLock_;
    std::unique_ptr<FakeEncodedOutput> output_;
};

MovieTag tag(const char (&name)[5], char type, const std::string& value) {
    MovieTag made;
    made.tag = static_cast<std::uint32_t>(static_cast<unsigned char>(name[0])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(name[1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(name[2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(name[3])) << 24;
    made.type = type;
    made.value.assign(value.begin(), value.end());
    return made;
}

// The stand-in encoder, a multiplexer and, for AVI, the file writer,
// connected as the encoding graph connects them.
struct MuxGraph {
    ComPtr<CFilterGraph> graph = makeComObject<CFilterGraph>();
    ComPtr<FakeEncoder> encoder;
    ComPtr<IBaseFilter> multiplexer;
    ComPtr<CFileWriter> writer;
    HRESULT built = S_OK;

    MuxGraph(bool mov, const TestStream& stream, const std::string& path) {
        encoder = makeComObject<FakeEncoder>(
            stream.info, std::vector<MovieTag>{tag("TAGN", 'c', "Director"), tag("TAGV", 'c', "Q. Ombry")});
        graph->AddFilter(encoder.get(), "Tavrix Encoder");
        ComPtr<IFileSinkFilter2> sink;
        if (mov) {
            ComPtr<CQtMux> qt = makeComObject<CQtMux>();
            multiplexer = ComPtr<IBaseFilter>(qt.get());
            graph->AddFilter(multiplexer.get(), "QT Mux");
            queryInterface(qt.get(), &sink);
        } else {
            ComPtr<CAviMux> avi = makeComObject<CAviMux>();
            multiplexer = ComPtr<IBaseFilter>(avi.get());
            writer = makeComObject<CFileWriter>();
            graph->AddFilter(multiplexer.get(), "AVI Mux");
            graph->AddFilter(writer.get(), "File Writer");
            queryInterface(writer.get(), &sink);
        }
        EXPECT_TRUE(sink);
        EXPECT_EQ(S_OK, sink->SetFileName(path, nullptr));
        EXPECT_EQ(S_OK, sink->SetMode(1));
        built = graph->Connect(encoder->GetPin(0), pinOf(multiplexer.get(), 0));
        if (succeeded(built) && writer)
            built = graph->Connect(pinOf(multiplexer.get(), 1), writer->GetPin(0));
    }
    ~MuxGraph() {
        graph->Stop();
        graph.reset();
    }

    static IPin* pinOf(IBaseFilter* filter, int position) {
        ComPtr<IPin> pin;
        filter->EnumPins(position, &pin);
        return pin.get();
    }

    // Runs the graph, sends the stream's frames and, when asked, the end of
    // the stream; returns the result of stopping the graph.
    HRESULT play(const TestStream& stream, bool endOfStream) {
        EXPECT_EQ(S_OK, graph->Run());
        const std::int64_t frameTime = 10'000'000LL * stream.info.rateDenominator / stream.info.rateNumerator;
        for (const EncodedPacket& packet : stream.packets)
            EXPECT_EQ(S_OK, encoder->deliver(packet.data, packet.frameIndex * frameTime,
                                             (packet.frameIndex + 1) * frameTime));
        if (endOfStream) {
            EXPECT_EQ(S_OK, encoder->deliverEndOfStream());
        }
        return graph->Stop();
    }
};

std::vector<std::string> namesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// Compressed frames through "AVI Mux" + "File Writer" and through "QT Mux"
// become a movie that libavformat reads back with every frame as sent, at
// the stream's exact rate.
TEST(MovieMuxFilter, FramesBecomeAMovieOnceTheGraphStops) {
    for (const bool mov : {false, true}) {
        SCOPED_TRACE(mov ? "mov" : "avi");
        TempDir dir;
        const std::string path = dir.file(mov ? "take.mov" : "take.avi");
        const TestStream stream = movie_test::losslessJpegStream(48, 32, 7, 24000, 1001);
        MuxGraph chain(mov, stream, path);
        ASSERT_EQ(S_OK, chain.built);
        ASSERT_EQ(S_OK, chain.play(stream, true));
        EXPECT_EQ(std::vector<std::string>{mov ? "take.mov" : "take.avi"}, namesIn(dir));

        const movie_test::ReadMovie movie = movie_test::readMovie(path);
        ASSERT_TRUE(movie.opened);
        EXPECT_EQ(mov ? "mov,mp4,m4a,3gp,3g2,mj2" : "avi", movie.formatName);
        ASSERT_EQ(1u, movie.streams.size());
        EXPECT_EQ(AV_CODEC_ID_MJPEG, movie.streams[0].codecId);
        EXPECT_EQ(48, movie.streams[0].width);
        EXPECT_EQ(32, movie.streams[0].height);
        EXPECT_EQ(24000, movie.streams[0].averageRate.num);
        EXPECT_EQ(1001, movie.streams[0].averageRate.den);
        ASSERT_EQ(stream.packets.size(), movie.videoPackets.size());
        for (std::size_t index = 0; index < stream.packets.size(); ++index)
            EXPECT_TRUE(stream.packets[index].data == movie.videoPackets[index]) << "frame " << index;
        EXPECT_TRUE(movie.allKeyFrames);
    }
}

// Stopped without an end-of-stream, the movie is given up: no file and no
// temporary file are left, and the graph runs again for a whole movie.
TEST(MovieMuxFilter, StopWithoutEndOfStreamLeavesNoFile) {
    for (const bool mov : {false, true}) {
        SCOPED_TRACE(mov ? "mov" : "avi");
        TempDir dir;
        const std::string path = dir.file(mov ? "given_up.mov" : "given_up.avi");
        const TestStream stream = movie_test::losslessJpegStream(32, 16, 3, 25, 1);
        MuxGraph chain(mov, stream, path);
        ASSERT_EQ(S_OK, chain.built);
        EXPECT_EQ(S_OK, chain.play(stream, false));
        EXPECT_TRUE(namesIn(dir).empty());
        ASSERT_EQ(S_OK, chain.play(stream, true));
        EXPECT_EQ(3u, movie_test::readMovie(path).videoPackets.size());
    }
}

// A movie that cannot be created (its directory is missing) stops the graph
// from running, with the errno in the result.
TEST(MovieMuxFilter, MissingDirectoryRefusesToRun) {
    for (const bool mov : {false, true}) {
        TempDir dir;
        const TestStream stream = movie_test::losslessJpegStream(32, 16, 1, 25, 1);
        MuxGraph chain(mov, stream, dir.file("nowhere/take.mov"));
        ASSERT_EQ(S_OK, chain.built);
        EXPECT_EQ(hresultFromErrno(ENOENT), chain.graph->Run()) << (mov ? "mov" : "avi");
        EXPECT_TRUE(namesIn(dir).empty());
    }
}

// The multiplexer takes only an encoder that says what its frames are.
TEST(MovieMuxFilter, RefusesAnUpstreamWithoutAStreamDescription) {
    FakePushSource::Options options;
    MediaType video;
    video.majorType = MEDIATYPE_Video;
    video.formatType = FORMAT_None;
    options.types.offered.push_back(video);
    ComPtr<FakePushSource> source = makeComObject<FakePushSource>(std::move(options));
    ComPtr<CQtMux> mux = makeComObject<CQtMux>();
    ComPtr<CFilterGraph> graph = makeComObject<CFilterGraph>();
    graph->AddFilter(source.get(), "source");
    graph->AddFilter(mux.get(), "QT Mux");
    EXPECT_TRUE(failed(graph->Connect(source->GetPin(0), mux->GetPin(0))));
}

// The AVI multiplexer takes the interleaving it is given; with one video
// stream there is nothing to interleave.
TEST(MovieMuxFilter, AviMuxTakesTheInterleaving) {
    ComPtr<CAviMux> mux = makeComObject<CAviMux>();
    ComPtr<IConfigInterleaving> interleaving;
    ASSERT_EQ(S_OK, queryInterface(mux.get(), &interleaving));
    const std::int64_t time = 250'000;
    EXPECT_EQ(S_OK, interleaving->put_Interleaving(&time, &time));
    EXPECT_EQ(S_OK, interleaving->put_Mode(InterleavingMode::Full));
    // Only the "QT Mux" is its own file sink.
    ComPtr<IFileSinkFilter2> sink;
    EXPECT_EQ(E_NOINTERFACE, queryInterface(mux.get(), &sink));
}

// The file writer alone: bytes land at the offsets their samples give (a
// header written over at the end, as the multiplexers do), and the file
// appears under its name only after the end-of-stream.
TEST(MovieMuxFilter, FileWriterWritesEachSampleAtItsOffset) {
    TempDir dir;
    FakePushSource::Options options;
    MediaType stream;
    stream.majorType = MEDIATYPE_Stream;
    stream.subtype = MEDIASUBTYPE_Avi;
    stream.formatType = FORMAT_None;
    options.types.offered.push_back(stream);
    ComPtr<FakePushSource> source = makeComObject<FakePushSource>(std::move(options));
    ComPtr<CFileWriter> writer = makeComObject<CFileWriter>();
    ComPtr<CFilterGraph> graph = makeComObject<CFilterGraph>();
    graph->AddFilter(source.get(), "source");
    graph->AddFilter(writer.get(), "File Writer");
    ASSERT_EQ(S_OK, writer->SetFileName(dir.file("bytes.avi"), nullptr));
    ASSERT_EQ(S_OK, graph->Connect(source->GetPin(0), writer->GetPin(0)));
    const auto bytes = [](const std::string& text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };

    ASSERT_EQ(S_OK, graph->Run());
    EXPECT_EQ(S_OK, source->deliver(bytes("head????"), 0, 8));
    EXPECT_EQ(S_OK, source->deliver(bytes("body"), 8, 12));
    EXPECT_EQ(S_OK, source->deliver(bytes("tail"), 12, 16));
    EXPECT_EQ(S_OK, source->deliver(bytes("SIZE"), 4, 8));
    EXPECT_TRUE(namesIn(dir).size() == 1 && namesIn(dir)[0] != "bytes.avi") << "written under its own name";
    EXPECT_EQ(S_OK, source->deliverEndOfStream());
    EXPECT_EQ(S_OK, graph->Stop());
    EXPECT_EQ(std::vector<std::string>{"bytes.avi"}, namesIn(dir));
    EXPECT_EQ("headSIZEbodytail", testing_support::readFileBytes(dir.file("bytes.avi")));

    // Again, without the end-of-stream: the old file stays as it was.
    ASSERT_EQ(S_OK, graph->Run());
    EXPECT_EQ(S_OK, source->deliver(bytes("half"), 0, 4));
    EXPECT_EQ(S_OK, graph->Stop());
    EXPECT_EQ(std::vector<std::string>{"bytes.avi"}, namesIn(dir));
    EXPECT_EQ("headSIZEbodytail", testing_support::readFileBytes(dir.file("bytes.avi")));
}
