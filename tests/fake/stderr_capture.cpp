// std::cerr into memory. Only the stream buffer is swapped, so the stream
// keeps the unitbuf flag and the tie to std::cout that the tool relies on.
#include <iostream>
#include <streambuf>

#include "fake/fake_platform.h"

namespace {

class RecordingBuffer : public std::streambuf {
public:
    std::string text;
    std::size_t flushedBytes = 0;
    int flushes = 0;

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        char ch = traits_type::to_char_type(c);
        Append(&ch, 1);
        return c;
    }

    std::streamsize xsputn(const char *s, std::streamsize n) override
    {
        Append(s, static_cast<std::size_t>(n));
        return n;
    }

    int sync() override
    {
        flushedBytes = text.size();
        ++flushes;
        return 0;
    }

private:
    void Append(const char *s, std::size_t n)
    {
        text.append(s, n);
        fake::detail::AppendStderr(s, n);
    }
};

RecordingBuffer *g_buffer = nullptr;
std::streambuf *g_saved = nullptr;

}  // namespace

namespace fake {

StderrCapture::StderrCapture()
{
    g_buffer = new RecordingBuffer;
    g_saved = std::cerr.rdbuf(g_buffer);
}

StderrCapture::~StderrCapture()
{
    std::cerr.rdbuf(g_saved);
    std::cerr.clear();
    delete g_buffer;
    g_buffer = nullptr;
}

std::string StderrCapture::Text() const
{
    return g_buffer->text;
}

std::size_t StderrCapture::FlushedBytes() const
{
    return g_buffer->flushedBytes;
}

int StderrCapture::Flushes() const
{
    return g_buffer->flushes;
}

}  // namespace fake
