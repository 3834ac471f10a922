#ifndef TESTS_CAMERAS_FAKETHERMALCAMERA_H
#define TESTS_CAMERAS_FAKETHERMALCAMERA_H

// A stream thermal camera's REST interface on a loopback address, served on a thread of its
// own: frame size, boot identity, stream description, instrument configuration, calibration
// mode and calibration, measurement objects and their values. One request per connection, as
// the cameras serve them. Every request is recorded; a test can replace the answer of a path
// or make the connection misbehave.

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FakeThermalCamera
{
public:
    struct Request
    {
        std::string method;
        std::string path;
        std::string body;
    };

    // What happens on a connection whose request matches a fault's path.
    enum class Fault {
        None,
        Delay,          // answers after delayMs
        NeverAnswer,    // reads the request and says nothing until the client gives up
        CloseMidReply   // sends the head and half the body, then closes
    };

    // Listens on address (a loopback address) at a port of the system's choosing.
    explicit FakeThermalCamera(const std::string &address = "127.0.0.1");
    ~FakeThermalCamera();
    FakeThermalCamera(const FakeThermalCamera &) = delete;
    FakeThermalCamera &operator=(const FakeThermalCamera &) = delete;

    bool listening() const { return listener >= 0; }
    int port() const { return boundPort; }
    const std::string &address() const { return host; }

    void setSize(int width, int height);
    void setMaxPacketSize(int bytes);
    // The whole instrument configuration as JSON text.
    void setInstrument(const std::string &json);
    std::string instrument() const;
    // The value of point object label: {"t": t}.
    void setPointTemperature(const std::string &label, double t);
    // The values of region object label: {"avg": {"t": a}, "max": {"t": b}, "min": {"t": c}}.
    void setRegionTemperatures(const std::string &label, double average, double maximum, double minimum);

    // Answers method path (the path with its query) with status and body from now on,
    // whatever the camera would answer.
    void setReply(const std::string &method, const std::string &path, int status, const std::string &body);
    // Misbehaves on every request whose path starts with prefix (empty: every request).
    void setFault(Fault fault, const std::string &prefix = std::string(), int delayMs = 0);

    // The body last written to a measurement object ("points/P0", "regions/R3"); empty if none.
    std::string object(const std::string &kindAndLabel) const;
    std::vector<Request> requests() const;
    std::vector<Request> requestsTo(const std::string &method, const std::string &path) const;
    int connections() const { return accepted.load(); }
    void clearRecords();

private:
    struct Reply
    {
        int status = 404;
        std::string body;
    };

    void serve();
    void handle(int client);
    Reply answer(const Request &request);
    bool pause(int milliseconds) const;

    std::string host;
    int listener = -1;
    int boundPort = 0;
    std::atomic<bool> stopping{false};
    std::atomic<int> accepted{0};

    mutable std::mutex mutex;
    int width = 0;
    int height = 0;
    int maxPacketSize = 0;
    std::string instrumentJson;
    std::map<std::string, std::string> values;
    std::map<std::string, std::string> objects;
    std::map<std::string, Reply> replies;
    Fault fault = Fault::None;
    std::string faultPrefix;
    int faultDelayMs = 0;
    std::vector<Request> recorded;

    std::thread thread;
};

#endif
