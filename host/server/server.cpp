// The embedded HTTP server on Boost.Asio, with Beast's parser (Debian's
// libboost-dev).
//
// Threads: IOThreads run every socket and timer through asynchronous
// operations and never wait for a handler; Workers (an asio::thread_pool) run
// the handler, read streamed request bodies and produce streamed reply
// chunks. A worker also sends the reply it made and starts the next read
// (see ServerConnection::HandleOne). Each connection works on its own strand,
// every entry holds its lock, and it goes through
//   Idle -> Head -> [Body] -> Handling -> Writing -> Idle (keep-alive) | closed
// with one deadline: KeepAliveTimeout while idle, HeaderTimeout for the whole
// head from its first byte, ReadTimeout between body reads, WriteTimeout
// between writes.
//
// Bodies: a body of pages, callbacks and other posts (MaxRequestBytes) and an
// upload body up to MaxBufferedBodyBytes are read on the I/O side into
// THTTPRequest::Content before the handler runs; a longer upload, or one of
// unknown length, is handed to the handler as a body source fed through a
// bounded pipe (at most two chunks ahead of the handler). A declared length
// over the limit is answered 413 at once (the body is read and dropped when
// it is short, so the connection stays usable; otherwise the connection is
// closed), a chunked body is cut off when it passes the limit.
// HEAD is answered as GET without the body.
#include "host/server/server.h"

#include <utility>  // before Asio, whose coroutine header needs std::exchange

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/asciicase.h"
#include "host/http.h"
#include "host/server/requestparser.h"

namespace zq {

namespace {

namespace asio = boost::asio;
namespace bhttp = boost::beast::http;
using tcp = asio::ip::tcp;
using boost::system::error_code;

constexpr size_t kChunk = 64 * 1024;           // read size and reply chunk size
constexpr size_t kPipeBytes = 2 * kChunk;      // streamed body bytes read ahead of the handler
constexpr uint64_t kDrainBytes = 1024 * 1024;  // a refused body this short is read and dropped

bool IsMultipart(std::string_view contentType) {
  return StartsWithTextAscii(contentType, "multipart/form-data");
}

// A body streamed to its handler, up to the upload limit: multipart (the
// host's own one-pass parser) or one a content parser claims.
bool IsUpload(const THTTPRequest& req) {
  return IsMultipart(req.GetHeader("Content-Type")) || ContentParserClaims(req);
}

std::string PlainReply(int code, std::string_view text, bool close) {
  std::string body = std::string(text) + "\n";
  return "HTTP/1.1 " + std::to_string(code) + " " + THTTPReply::StatusText(code) +
         "\r\nContent-Type: text/plain; charset=utf-8\r\nX-Content-Type-Options: "
         "nosniff\r\nContent-Length: " +
         std::to_string(body.size()) + (close ? "\r\nConnection: close" : "") + "\r\n\r\n" + body;
}

// Streamed request body bytes between the I/O side (producer) and the
// handler's body source (consumer).
struct BodyPipe {
  std::mutex m;
  std::condition_variable cv;
  std::string data;
  size_t pos = 0;
  bool done = false;
  int error = 0;                 // status to answer: 400 broken off, 408 too slow, 413 too long
  bool paused = false;           // the producer waits for room
  std::function<void()> resume;  // restarts the producer (posted to its strand)

  size_t Room() const {
    return data.size() - pos >= kPipeBytes ? 0 : kPipeBytes - (data.size() - pos);
  }
};

class PipeSource : public THTTPBodySource {
 public:
  PipeSource(std::shared_ptr<BodyPipe> pipe, std::optional<uint64_t> length,
             std::chrono::seconds timeout)
      : pipe_(std::move(pipe)), length_(length), timeout_(timeout) {}
  std::optional<uint64_t> Length() const override { return length_; }

 protected:
  size_t ReadSome(char* buffer, size_t size) override {
    std::function<void()> resume;
    size_t n = 0;
    {
      std::unique_lock<std::mutex> lock(pipe_->m);
      BodyPipe& p = *pipe_;
      if (!p.cv.wait_for(lock, timeout_,
                         [&p] { return p.pos < p.data.size() || p.done || p.error; }))
        throw EHTTPBodyError(408, "The request body stopped arriving");
      if (p.pos == p.data.size()) {
        if (p.error == 413) throw EHTTPBodyError(413, "Request body too large");
        if (p.error) throw EHTTPBodyError(p.error, "The request body was broken off");
        return 0;
      }
      n = std::min(size, p.data.size() - p.pos);
      std::memcpy(buffer, p.data.data() + p.pos, n);
      p.pos += n;
      if (p.pos == p.data.size()) {
        p.data.clear();
        p.pos = 0;
      }
      if (p.paused && p.Room() >= kChunk) {
        p.paused = false;
        resume = p.resume;
      }
    }
    if (resume) resume();
    return n;
  }

 private:
  std::shared_ptr<BodyPipe> pipe_;
  std::optional<uint64_t> length_;
  std::chrono::seconds timeout_;
};

}  // namespace

class ServerConnection;

struct TZQHTTPServer::Impl {
  Handler handler;
  TServerOptions opt;
  // Declared before the I/O context: connections still queued in it when it
  // is destroyed unregister themselves here.
  std::mutex m;  // guards started, stopped, conns and perAddress
  std::condition_variable cv;
  bool started = false;
  bool stopped = false;
  std::unordered_map<ServerConnection*, std::weak_ptr<ServerConnection>> conns;
  std::unordered_map<std::string, size_t> perAddress;

  asio::io_context ioc;
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work;
  std::optional<asio::strand<asio::io_context::executor_type>> acceptStrand;
  std::optional<tcp::acceptor> acceptor;
  std::optional<asio::steady_timer> acceptRetry;
  std::unique_ptr<asio::thread_pool> pool;
  std::vector<std::thread> ioThreads;
  std::atomic<int> port{0};
  std::atomic<uint64_t> served{0}, refused{0}, errors{0}, connRefused{0};
  std::atomic<int> queued{0};    // requests waiting for a worker
  std::atomic<int> watching{0};  // workers watching their connection (see Handle())
  std::atomic<bool> running{false}, stopping{false};

  void Accept();
  void OnAccepted(tcp::socket socket);
  void Forget(ServerConnection* c, const std::string& address) {
    std::lock_guard<std::mutex> lock(m);
    conns.erase(c);
    auto it = perAddress.find(address);
    if (it != perAddress.end() && --it->second == 0) perAddress.erase(it);
    cv.notify_all();
  }
};

class ServerConnection : public std::enable_shared_from_this<ServerConnection> {
 public:
  using Impl = TZQHTTPServer::Impl;
  ServerConnection(Impl& srv, tcp::socket socket, std::string address)
      : srv_(srv),
        opt_(srv.opt),
        socket_(std::move(socket)),
        timer_(socket_.get_executor()),
        address_(std::move(address)) {}
  ~ServerConnection() { srv_.Forget(this, address_); }

  // Every entry (posted work, completion handlers, the worker's reply) holds
  // the connection's lock; the rest runs under it.
  void Start() {
    std::lock_guard<std::mutex> lock(m_);
    error_code ec;
    socket_.set_option(tcp::no_delay(true), ec);
    NewRequest();
    Arm(opt_.HeaderTimeoutSeconds);  // the first request must come soon
    phase_ = Phase::Head;
    ReadHead();
  }

  // On the strand: the server stops. Connections between requests close now,
  // the others once their reply is out.
  void OnStop() {
    std::lock_guard<std::mutex> lock(m_);
    closeAfter_ = true;
    if (phase_ == Phase::Idle || phase_ == Phase::Head) Close();
  }
  void ForceClose() {
    std::lock_guard<std::mutex> lock(m_);
    Close();
  }
  auto Executor() { return socket_.get_executor(); }

 private:
  enum class Phase { Idle, Head, Body, Handling, Writing, Closed };

  void NewRequest() {
    req_ = std::make_unique<THTTPRequest>();
    TRequestLimits limits;
    limits.MaxRequestLine = opt_.MaxRequestLineBytes;
    limits.MaxHeaderCount = opt_.MaxHeaderCount;
    limits.MaxHeaderBytes = opt_.MaxHeaderBytes;
    parser_.emplace(*req_, limits);
    pipe_.reset();
    streamed_ = false;
    drain_ = false;
  }

  // One deadline per connection, one timer wait behind it: Arm() and Disarm()
  // only move the deadline; the wait, when it ends, closes the connection if
  // the deadline has passed and otherwise waits again for the deadline as it
  // is then. The wait is restarted only for a deadline earlier than the one
  // it waits for, so a request costs no timer operation at all.
  void Arm(int seconds) {
    deadline_ = Clock::now() + std::chrono::seconds(std::max(1, seconds));
    if (!timerWaiting_ || deadline_ < timerAt_) WaitForDeadline();
  }
  void Disarm() { deadline_ = Clock::time_point::max(); }
  void WaitForDeadline() {
    const uint64_t gen = ++timerGen_;
    timerWaiting_ = true;
    timerAt_ = deadline_;
    timer_.expires_at(timerAt_);
    timer_.async_wait([self = shared_from_this(), gen](error_code) {
      std::lock_guard<std::mutex> lock(self->m_);
      if (gen != self->timerGen_) return;  // replaced by a later wait
      self->timerWaiting_ = false;
      if (self->phase_ == Phase::Closed || self->deadline_ == Clock::time_point::max()) return;
      if (Clock::now() >= self->deadline_) return self->Close();
      self->WaitForDeadline();
    });
  }

  void Close() {
    if (phase_ == Phase::Closed) return;
    phase_ = Phase::Closed;
    Disarm();
    ++timerGen_;
    timer_.cancel();
    error_code ec;
    socket_.shutdown(tcp::socket::shutdown_both, ec);
    socket_.close(ec);
    FailPipe(400);
  }

  void FailPipe(int code) {
    if (!pipe_) return;
    std::lock_guard<std::mutex> lock(pipe_->m);
    if (!pipe_->done && !pipe_->error) pipe_->error = code;
    pipe_->cv.notify_all();
  }

  // Reads into the buffer, then calls `next`; a failure or a time-out closes.
  template <class Next>
  void ReadMore(Next next) {
    auto space = buffer_.prepare(buffer_.size() < kChunk ? 4096 : kChunk);
    socket_.async_read_some(space, [self = shared_from_this(), next](error_code ec, size_t n) {
      std::lock_guard<std::mutex> lock(self->m_);
      if (self->phase_ == Phase::Closed) return;
      if (ec) {
        self->FailPipe(400);
        return self->Close();
      }
      self->buffer_.commit(n);
      next();
    });
  }

  // ------------------------------------------------------------ head
  void ReadHead() {
    if (buffer_.size() > 0) {
      if (phase_ == Phase::Idle) {
        phase_ = Phase::Head;
        Arm(opt_.HeaderTimeoutSeconds);
      }
      error_code ec;
      const size_t n = parser_->put(buffer_.data(), ec);
      buffer_.consume(n);
      if (ec && ec != bhttp::error::need_more)
        return Refuse(parser_->FailureStatus(ec), "Bad Request", true);
      if (parser_->is_header_done()) return OnHead();
    }
    ReadMore([this] { ReadHead(); });
  }

  void OnHead() {
    keepAlive_ = parser_->keep_alive();
    http10_ = parser_->Version() == 10;
    head_ = parser_->Method() == "HEAD";
    if (parser_->is_done()) return Dispatch();
    const bool upload = IsUpload(*req_);
    const uint64_t limit = upload ? opt_.MaxUploadBytes : opt_.MaxRequestBytes;
    const auto length = parser_->content_length();
    if (length && *length > limit) {
      if (*length > kDrainBytes) return Refuse(413, "Payload Too Large", true);
      drain_ = true;  // read and dropped, then 413 on a usable connection
    }
    parser_->body_limit(drain_ ? kDrainBytes : limit);
    parser_->eager(true);
    if (!drain_ && upload && (!length || *length > opt_.MaxBufferedBodyBytes)) streamed_ = true;
    if (drain_) {
      parser_->SetBodySink([](std::string_view b) { return b.size(); });
    } else if (streamed_) {
      pipe_ = std::make_shared<BodyPipe>();
      std::weak_ptr<ServerConnection> weak = shared_from_this();
      pipe_->resume = [weak] {
        if (auto self = weak.lock())
          asio::post(self->Executor(), [self] {
            std::lock_guard<std::mutex> lock(self->m_);
            self->FeedBody();
          });
      };
      parser_->SetBodySink([this](std::string_view b) {
        std::lock_guard<std::mutex> lock(pipe_->m);
        const size_t n = std::min(b.size(), pipe_->Room());
        pipe_->data.append(b.data(), n);
        if (n) pipe_->cv.notify_all();
        return n;
      });
    } else {
      if (length) req_->Content.reserve(static_cast<size_t>(*length));
      parser_->SetBodySink([this](std::string_view b) {
        req_->Content.append(b.data(), b.size());
        return b.size();
      });
    }
    phase_ = Phase::Body;
    Arm(opt_.ReadTimeoutSeconds);
    auto go = [this] {
      if (streamed_) {
        const auto declared = parser_->content_length();
        req_->SetBodySource(std::make_unique<PipeSource>(
            pipe_, declared ? std::optional<uint64_t>(*declared) : std::nullopt,
            std::chrono::seconds(opt_.ReadTimeoutSeconds + 1)));
        Dispatch();
        FeedBody();
      } else {
        ReadBody();
      }
    };
    if (parser_->ExpectsContinue() && !drain_) {
      auto text = std::make_shared<std::string>("HTTP/1.1 100 Continue\r\n\r\n");
      asio::async_write(socket_, asio::buffer(*text),
                        [self = shared_from_this(), text, go](error_code ec, size_t) {
                          std::lock_guard<std::mutex> lock(self->m_);
                          if (self->phase_ == Phase::Closed) return;
                          if (ec) return self->Close();
                          go();
                        });
      return;
    }
    go();
  }

  // ------------------------------------------------------------ body
  bool PutBody(error_code& ec) {
    const size_t n = parser_->put(buffer_.data(), ec);
    buffer_.consume(n);
    if (ec == bhttp::error::need_more) ec = {};
    return n > 0;
  }

  void ReadBody() {
    if (buffer_.size() > 0) {
      error_code ec;
      PutBody(ec);
      if (ec)
        return Refuse(parser_->FailureStatus(ec),
                      ec == bhttp::error::body_limit ? "Payload Too Large" : "Bad Request", true);
      if (parser_->is_done()) {
        Disarm();
        if (drain_) return Refuse(413, "Payload Too Large", !keepAlive_);
        return Dispatch();
      }
    }
    Arm(opt_.ReadTimeoutSeconds);
    ReadMore([this] { ReadBody(); });
  }

  // Streamed body: feeds the pipe while it has room, on the strand.
  void FeedBody() {
    if (phase_ == Phase::Closed || abandoned_ || !pipe_) return;
    for (;;) {
      if (buffer_.size() > 0) {
        {
          std::lock_guard<std::mutex> lock(pipe_->m);
          if (pipe_->Room() == 0) {
            pipe_->paused = true;
            Disarm();  // waiting for the handler is not the client's fault
            return;
          }
        }
        error_code ec;
        const bool consumed = PutBody(ec);
        if (ec) {
          std::lock_guard<std::mutex> lock(pipe_->m);
          pipe_->error = parser_->FailureStatus(ec) == 413 ? 413 : 400;
          pipe_->cv.notify_all();
          closeAfter_ = true;
          return;
        }
        if (parser_->is_done()) {
          Disarm();
          std::lock_guard<std::mutex> lock(pipe_->m);
          pipe_->done = true;
          pipe_->cv.notify_all();
          return;
        }
        // The parser stops where the pipe is full (see TRequestParser's
        // sink): what is left waits for room, unless the parser took
        // nothing: then it holds an unfinished chunk header that needs more
        // bytes.
        if (consumed && buffer_.size() > 0) continue;
      }
      break;
    }
    Arm(opt_.ReadTimeoutSeconds);
    auto self = shared_from_this();
    auto space = buffer_.prepare(kChunk);
    socket_.async_read_some(space, [self](error_code ec, size_t n) {
      std::lock_guard<std::mutex> lock(self->m_);
      if (self->phase_ == Phase::Closed || self->abandoned_) return;
      if (ec) {
        self->FailPipe(ec == asio::error::operation_aborted ? 408 : 400);
        self->closeAfter_ = true;
        return;
      }
      self->buffer_.commit(n);
      self->FeedBody();
    });
  }

  // ------------------------------------------------------------ handling
  void Dispatch() {
    if (!streamed_) Disarm();
    phase_ = Phase::Handling;
    if (readingOnWorker_ && !streamed_) {
      handleHere_ = true;  // the worker that is here goes on with it
      return;
    }
    ++srv_.queued;
    asio::post(*srv_.pool, [self = shared_from_this()] {
      --self->srv_.queued;
      self->Handle();
    });
  }

  // On a worker. The reply is sent from here too (see Send()), and when the
  // connection stays open and no other request waits for a worker, the worker
  // watches it for a moment: a client that sends its next request at once
  // (a page's callbacks one after the other) has it read, parsed and handled
  // on this thread, without the I/O thread and the hand-over to a worker.
  // At most half of the workers watch at a time, each for at most
  // kWatchMilliseconds.
  void Handle() {
    while (HandleOne()) {
    }
  }

  static constexpr int kWatchMilliseconds = 3;

  // Handles req_ and sends the reply; true when the next request of the
  // connection is ready for this thread.
  bool HandleOne() {
    THTTPRequest& r = *req_;
    r.ServerPort = srv_.port.load();
    r.RemoteAddr = address_;
    r.ScriptName = opt_.ScriptName;
    THTTPReply replyObject;
    THTTPReply* reply = &replyObject;
    bool closeAfter = false;
    std::string why;
    if (!r.Parse(opt_.MaxFields, &why, !streamed_)) {
      ++srv_.refused;
      SetPlain(*reply, 400, why.empty() ? std::string("Bad Request") : why);
    } else {
      try {
        srv_.handler(r, *reply);
      } catch (const EHTTPBodyError& e) {
        ++srv_.refused;
        SetPlain(*reply, e.Code(), e.what());
        closeAfter = true;
      } catch (const std::exception& e) {
        ++srv_.errors;
        std::fprintf(stderr, "zq server: %s %s: %s\n", r.Method.c_str(), r.PathInfo().c_str(),
                     e.what());
        SetPlain(*reply, 500, "Internal Server Error");
      } catch (...) {
        ++srv_.errors;
        SetPlain(*reply, 500, "Internal Server Error");
      }
      ++srv_.served;
    }
    std::shared_ptr<StreamState> stream;
    if (reply->HasStream()) {
      stream = std::make_shared<StreamState>();
      stream->length = reply->StreamLength();
      stream->source = reply->TakeStream();
      if (head_) stream->source.reset();
    }
    std::unique_lock<std::mutex> lock(m_);
    writingOnWorker_ = true;
    goOnHere_ = false;
    WriteReply(*reply, std::move(stream), closeAfter);
    writingOnWorker_ = false;
    if (!goOnHere_) return false;
    // Written() left the reading to this thread: the connection is idle,
    // between requests, with nothing read ahead.
    const int watchers = opt_.Workers / 2;
    bool ready = false;
    if (srv_.queued.load() == 0 && srv_.watching.fetch_add(1) < watchers) {
      const int fd = socket_.native_handle();
      lock.unlock();  // a stop or a time-out may close the socket meanwhile
      pollfd p{fd, POLLIN, 0};
      ready = ::poll(&p, 1, kWatchMilliseconds) > 0 && (p.revents & POLLIN);
      lock.lock();
      --srv_.watching;
      if (phase_ == Phase::Closed) return false;
    } else {
      --srv_.watching;
    }
    if (ready) {
      auto space = buffer_.prepare(4096);
      const ssize_t n = ::recv(socket_.native_handle(), space.data(), space.size(), MSG_DONTWAIT);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        Close();
        return false;
      }
      if (n > 0) buffer_.commit(static_cast<size_t>(n));
    }
    if (buffer_.size() == 0) buffer_.shrink_to_fit();  // an idle connection keeps no buffer
    readingOnWorker_ = true;
    handleHere_ = false;
    ReadHead();  // a whole request head (and body) here is handled by this thread
    readingOnWorker_ = false;
    return handleHere_;
  }

  static void SetPlain(THTTPReply& reply, int code, const std::string& text) {
    reply.ResetReplyType();
    reply.Cookies().clear();
    reply.SetCode(code);
    reply.SetContentType("text/plain; charset=utf-8");
    reply.WriteString(text + "\n");
  }

  struct StreamState {
    std::unique_ptr<THTTPReplyStream> source;
    std::optional<uint64_t> length;
    uint64_t sent = 0;
    bool chunked = false;
    bool untilClose = false;  // HTTP/1.0 without a length: the end is the close
    std::vector<char> buf;
    size_t n = 0;
    std::string prefix;  // head, chunk size line
  };

  // ------------------------------------------------------------ writing
  void WriteReply(THTTPReply& reply, std::shared_ptr<StreamState> stream, bool closeAfter) {
    if (phase_ == Phase::Closed) return;
    if (streamed_) {
      std::lock_guard<std::mutex> lock(pipe_->m);
      if (!pipe_->done) {
        // The handler left body bytes unread: they cannot be told from the
        // next request, so the connection ends with this reply.
        abandoned_ = true;
        closeAfter = true;
        error_code ec;
        socket_.cancel(ec);
      }
    }
    phase_ = Phase::Writing;
    if (closeAfter || closeAfter_ || srv_.stopping || !keepAlive_ ||
        ++count_ >= opt_.KeepAliveMaxCount)
      closing_ = true;
    const int code = reply.Code();
    const bool noBody = code == 204 || code == 304 || (code >= 100 && code < 200);
    std::string head;
    head.reserve(512);
    head += "HTTP/1.1 ";
    head += std::to_string(code);
    head += ' ';
    head += reply.CodeText();
    head += "\r\n";
    bool nosniff = false;
    for (const auto& [name, value] : reply.AllHeaders()) {
      if (SameTextAscii(name, "Content-Length") || SameTextAscii(name, "Transfer-Encoding") ||
          SameTextAscii(name, "Connection"))
        continue;
      if (SameTextAscii(name, "X-Content-Type-Options")) nosniff = true;
      head += name;
      head += ": ";
      head += value;
      head += "\r\n";
    }
    if (!nosniff) head += "X-Content-Type-Options: nosniff\r\n";
    const bool streaming = stream && stream->source != nullptr;
    if (!noBody) {
      if (streaming || (head_ && stream && stream->length)) {
        if (stream->length) {
          head += "Content-Length: " + std::to_string(*stream->length) + "\r\n";
        } else if (http10_) {
          stream->untilClose = true;
          closing_ = true;
        } else {
          stream->chunked = true;
          head += "Transfer-Encoding: chunked\r\n";
        }
      } else {
        head += "Content-Length: " + std::to_string(reply.Body().size()) + "\r\n";
      }
    }
    if (closing_)
      head += "Connection: close\r\n";
    else if (http10_)
      head += "Connection: keep-alive\r\n";
    head += "\r\n";
    Arm(opt_.WriteTimeoutSeconds);
    if (streaming && !noBody) {
      stream->prefix = std::move(head);
      stream->buf.resize(kChunk);
      return NextChunk(stream);
    }
    Send(std::move(head), head_ || noBody ? std::string() : std::move(reply.Body()));
  }

  // Sends a whole reply, then goes on as Written() says. The bytes go straight
  // from the calling thread while the socket takes them (a reply is nearly
  // always small next to the socket's send buffer), which spares the reply a
  // trip through the I/O thread; what the socket does not take at once goes by
  // an asynchronous write.
  void Send(std::string head, std::string body) {
    if (phase_ == Phase::Closed) return;
    iovec iov[2] = {{head.data(), head.size()}, {body.data(), body.size()}};
    msghdr msg{};
    msg.msg_iov = iov;
    msg.msg_iovlen = body.empty() ? 1 : 2;
    ssize_t n;
    do {
      n = ::sendmsg(socket_.native_handle(), &msg, MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
      return Written(error_code(errno, boost::system::system_category()));
    const size_t sent = n < 0 ? 0 : static_cast<size_t>(n);
    if (sent == head.size() + body.size()) return Written({});
    auto rest =
        std::make_shared<std::pair<std::string, std::string>>(std::move(head), std::move(body));
    std::vector<asio::const_buffer> bufs;
    if (sent < rest->first.size()) {
      bufs.push_back(asio::buffer(rest->first) + sent);
      bufs.push_back(asio::buffer(rest->second));
    } else {
      bufs.push_back(asio::buffer(rest->second) + (sent - rest->first.size()));
    }
    asio::async_write(socket_, bufs, [self = shared_from_this(), rest](error_code ec, size_t) {
      std::lock_guard<std::mutex> lock(self->m_);
      self->Written(ec);
    });
  }

  // Asks a worker for the next chunk of a streamed reply.
  void NextChunk(std::shared_ptr<StreamState> st) {
    asio::post(*srv_.pool, [self = shared_from_this(), st] {
      bool failed = false;
      try {
        size_t want = kChunk;
        if (st->length)
          want = static_cast<size_t>(std::min<uint64_t>(want, *st->length - st->sent));
        st->n = want ? st->source->Read(st->buf.data(), want) : 0;
      } catch (const std::exception& e) {
        std::fprintf(stderr, "zq server: reply stream: %s\n", e.what());
        failed = true;
      }
      asio::post(self->Executor(), [self, st, failed] {
        std::lock_guard<std::mutex> lock(self->m_);
        self->WriteChunk(st, failed);
      });
    });
  }

  void WriteChunk(std::shared_ptr<StreamState> st, bool failed) {
    if (phase_ == Phase::Closed) return;
    if (failed || (st->n == 0 && st->length && st->sent < *st->length)) {
      // The client cannot be told once the head has gone: the connection
      // ends, so the short reply cannot pass for a complete one.
      st->source.reset();
      return Close();
    }
    std::vector<asio::const_buffer> bufs;
    if (st->n == 0) {
      st->source.reset();
      if (st->chunked) st->prefix += "0\r\n\r\n";
      if (st->prefix.empty()) return Written({});
      bufs.push_back(asio::buffer(st->prefix));
      asio::async_write(socket_, bufs, [self = shared_from_this(), st](error_code ec, size_t) {
        std::lock_guard<std::mutex> lock(self->m_);
        self->Written(ec);
      });
      return;
    }
    if (st->chunked) {
      char line[24];
      std::snprintf(line, sizeof line, "%zx\r\n", st->n);
      st->prefix += line;
    }
    bufs.push_back(asio::buffer(st->prefix));
    bufs.push_back(asio::buffer(st->buf.data(), st->n));
    if (st->chunked) bufs.push_back(asio::buffer("\r\n", 2));
    Arm(opt_.WriteTimeoutSeconds);
    asio::async_write(socket_, bufs, [self = shared_from_this(), st](error_code ec, size_t) {
      std::lock_guard<std::mutex> lock(self->m_);
      if (self->phase_ == Phase::Closed) return;
      if (ec) return self->Close();
      st->sent += st->n;
      st->prefix.clear();
      if (st->length && st->sent >= *st->length) {
        st->source.reset();
        return self->Written({});
      }
      self->NextChunk(st);
    });
  }

  void Written(error_code ec) {
    if (phase_ == Phase::Closed) return;
    // A stop that came while the reply was going out ends the connection now,
    // not when it has been idle for the keep-alive time.
    if (ec || closing_ || closeAfter_ || srv_.stopping) return Linger();
    phase_ = Phase::Idle;
    NewRequest();
    Arm(opt_.KeepAliveTimeoutSeconds);
    if (writingOnWorker_) {
      goOnHere_ = true;  // see HandleOne()
      return;
    }
    if (buffer_.size() == 0) buffer_.shrink_to_fit();  // an idle connection keeps no buffer
    ReadHead();
  }

  // Ends a connection whose last reply has gone: no more sending, what the
  // client still sends is read and dropped for a moment (closing a socket
  // with unread bytes would reset it and could destroy the reply in flight).
  void Linger() {
    Disarm();
    error_code ec;
    socket_.shutdown(tcp::socket::shutdown_send, ec);
    if (ec) return Close();
    phase_ = Phase::Writing;
    Arm(2);
    lingerBytes_ = 0;
    LingerRead();
  }
  void LingerRead() {
    buffer_.clear();
    socket_.async_read_some(buffer_.prepare(kChunk),
                            [self = shared_from_this()](error_code ec, size_t n) {
                              std::lock_guard<std::mutex> lock(self->m_);
                              if (self->phase_ == Phase::Closed) return;
                              self->lingerBytes_ += n;
                              if (ec || self->lingerBytes_ > kDrainBytes) return self->Close();
                              self->LingerRead();
                            });
  }

  // Answers on the I/O side without the handler.
  void Refuse(int code, const char* text, bool close) {
    ++srv_.refused;
    Disarm();
    phase_ = Phase::Writing;
    closing_ = close || closeAfter_ || !keepAlive_;
    Arm(opt_.WriteTimeoutSeconds);
    Send(PlainReply(code, text, closing_), std::string());
  }

  using Clock = std::chrono::steady_clock;
  Impl& srv_;
  const TServerOptions& opt_;
  std::mutex m_;  // held by every entry, see Start()
  tcp::socket socket_;
  asio::steady_timer timer_;
  std::string address_;
  boost::beast::flat_buffer buffer_{64 * 1024 * 1024};
  std::unique_ptr<THTTPRequest> req_;
  std::optional<TRequestParser> parser_;
  std::shared_ptr<BodyPipe> pipe_;
  Phase phase_ = Phase::Idle;
  uint64_t timerGen_ = 0;                                  // the timer wait that counts
  Clock::time_point deadline_ = Clock::time_point::max();  // max: none
  Clock::time_point timerAt_;                              // what the timer waits for
  bool timerWaiting_ = false;
  uint64_t lingerBytes_ = 0;
  int count_ = 0;
  bool keepAlive_ = true, http10_ = false, head_ = false;
  bool streamed_ = false, drain_ = false, abandoned_ = false;
  bool closeAfter_ = false, closing_ = false;
  // The worker that ran the handler is sending its reply (Written() leaves
  // the next read to it) or reading the next request (Dispatch() leaves the
  // handling to it); see HandleOne().
  bool writingOnWorker_ = false, readingOnWorker_ = false;
  bool goOnHere_ = false, handleHere_ = false;
};

void TZQHTTPServer::Impl::Accept() {
  acceptor->async_accept(asio::make_strand(ioc), [this](error_code ec, tcp::socket socket) {
    if (stopping || !acceptor->is_open()) return;
    if (ec) {
      // Out of descriptors or the like: try again shortly instead of spinning.
      acceptRetry->expires_after(std::chrono::milliseconds(50));
      acceptRetry->async_wait([this](error_code e) {
        if (!e && !stopping) Accept();
      });
      return;
    }
    OnAccepted(std::move(socket));
    Accept();
  });
}

void TZQHTTPServer::Impl::OnAccepted(tcp::socket socket) {
  error_code ec;
  auto remote = socket.remote_endpoint(ec);
  if (ec) return;
  std::string address = remote.address().to_string();
  std::shared_ptr<ServerConnection> c;
  {
    std::lock_guard<std::mutex> lock(m);
    size_t& mine = perAddress[address];
    if (conns.size() >= opt.MaxConnections ||
        (opt.MaxConnectionsPerAddress && mine >= opt.MaxConnectionsPerAddress)) {
      if (mine == 0) perAddress.erase(address);
      ++connRefused;
      socket.close(ec);
      return;
    }
    ++mine;
    c = std::make_shared<ServerConnection>(*this, std::move(socket), std::move(address));
    conns[c.get()] = c;
  }
  asio::post(c->Executor(), [c] { c->Start(); });
}

TZQHTTPServer::TZQHTTPServer(Handler handler, TServerOptions options)
    : impl_(std::make_unique<Impl>()) {
  impl_->handler = std::move(handler);
  impl_->opt = std::move(options);
}

TZQHTTPServer::~TZQHTTPServer() {
  Stop();
}

int TZQHTTPServer::Start() {
  Impl& d = *impl_;
  {
    std::lock_guard<std::mutex> lock(d.m);
    if (d.started) throw EServerError("The server has been started already");
    d.started = true;
  }
  const TServerOptions& o = d.opt;
  error_code ec;
  auto address = asio::ip::make_address(o.BindAddress, ec);
  if (ec) throw EServerError("Cannot listen on " + o.BindAddress);
  d.acceptStrand.emplace(asio::make_strand(d.ioc));
  d.acceptor.emplace(*d.acceptStrand);
  d.acceptRetry.emplace(*d.acceptStrand);
  tcp::endpoint endpoint(address, static_cast<unsigned short>(o.Port));
  auto fail = [&] {
    d.acceptor->close(ec);
    throw EServerError(o.Port == 0
                           ? "Cannot listen on " + o.BindAddress
                           : "Cannot listen on " + o.BindAddress + ":" + std::to_string(o.Port));
  };
  d.acceptor->open(endpoint.protocol(), ec);
  if (ec) fail();
  // SO_REUSEADDR only: a restart may bind at once, but a second server on the
  // same port is an error.
  d.acceptor->set_option(asio::socket_base::reuse_address(true), ec);
  d.acceptor->bind(endpoint, ec);
  if (ec) fail();
  d.acceptor->listen(std::max(16, o.ListenBacklog), ec);
  if (ec) fail();
  d.port = d.acceptor->local_endpoint().port();
  d.pool = std::make_unique<asio::thread_pool>(static_cast<size_t>(std::max(1, o.Workers)));
  d.work.emplace(d.ioc.get_executor());
  d.running = true;
  asio::post(*d.acceptStrand, [&d] { d.Accept(); });
  for (int i = 0; i < std::max(1, o.IOThreads); ++i)
    d.ioThreads.emplace_back([&d] { d.ioc.run(); });
  return d.port;
}

void TZQHTTPServer::Stop() {
  Impl& d = *impl_;
  {
    std::lock_guard<std::mutex> lock(d.m);
    if (d.stopped) return;
    d.stopped = true;
    if (d.ioThreads.empty()) {  // never started, or Start() failed
      d.cv.notify_all();
      return;
    }
  }
  d.stopping = true;
  // No new connections: the acceptor is closed on its strand, and waited for.
  {
    std::promise<void> closed;
    asio::post(*d.acceptStrand, [&d, &closed] {
      error_code ec;
      d.acceptor->close(ec);
      d.acceptRetry->cancel();
      closed.set_value();
    });
    closed.get_future().wait();
  }
  auto each = [&d](auto f) {
    std::vector<std::shared_ptr<ServerConnection>> all;
    {
      std::lock_guard<std::mutex> lock(d.m);
      for (auto& [p, w] : d.conns)
        if (auto c = w.lock()) all.push_back(std::move(c));
    }
    for (auto& c : all) asio::post(c->Executor(), [c, f] { f(*c); });
  };
  each([](ServerConnection& c) { c.OnStop(); });
  {
    std::unique_lock<std::mutex> lock(d.m);
    d.cv.wait_for(lock, std::chrono::seconds(std::max(1, d.opt.StopTimeoutSeconds)),
                  [&d] { return d.conns.empty(); });
  }
  each([](ServerConnection& c) { c.ForceClose(); });
  {
    std::unique_lock<std::mutex> lock(d.m);
    d.cv.wait_for(lock, std::chrono::seconds(5), [&d] { return d.conns.empty(); });
  }
  d.work.reset();
  d.pool->join();
  d.ioc.stop();
  for (auto& t : d.ioThreads) t.join();
  d.running = false;
  std::lock_guard<std::mutex> lock(d.m);
  d.cv.notify_all();
}

void TZQHTTPServer::Wait() {
  Impl& d = *impl_;
  std::unique_lock<std::mutex> lock(d.m);
  d.cv.wait(lock, [&d] { return d.stopped && !d.running; });
}

bool TZQHTTPServer::Running() const {
  return impl_->running.load();
}
int TZQHTTPServer::Port() const {
  return impl_->port.load();
}
const TServerOptions& TZQHTTPServer::Options() const {
  return impl_->opt;
}
uint64_t TZQHTTPServer::RequestsServed() const {
  return impl_->served.load();
}
uint64_t TZQHTTPServer::RequestsRefused() const {
  return impl_->refused.load();
}
uint64_t TZQHTTPServer::HandlerErrors() const {
  return impl_->errors.load();
}
uint64_t TZQHTTPServer::ConnectionsRefused() const {
  return impl_->connRefused.load();
}
size_t TZQHTTPServer::OpenConnections() const {
  std::lock_guard<std::mutex> lock(impl_->m);
  return impl_->conns.size();
}

}  // namespace zq
