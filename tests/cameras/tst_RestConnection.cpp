// The REST client of the stream thermal cameras against a camera served on loopback: bodies
// and replies at the buffer's limits, statuses that carry no reply, replies that are not JSON,
// and connections that break off or never answer.

#include "cameras/RestConnection.h"
#include "platform/restc/Restc.h"
#include "tests/cameras/FakeThermalCamera.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

constexpr char Path[] = "/isp/instrument/jconfig";

// A JSON string body whose compact text is exactly `bytes` long.
Json::Value stringBody(int bytes)
{
    return Json::Value(std::string(size_t(bytes - 2), 'x'));
}

} // namespace

class RestConnectionTest : public QObject
{
    Q_OBJECT

private slots:
    void bodiesUpToTheBufferAreSent_data();
    void bodiesUpToTheBufferAreSent();
    void repliesAreReadOnlyWhenWholeAndJson_data();
    void repliesAreReadOnlyWhenWholeAndJson();
    void longReplyIsCountedNotOverrun();
    void brokenConnectionsFail_data();
    void brokenConnectionsFail();
    void missingConnectionSendsNothing();
    void eachRequestHasItsOwnConnection();
};

void RestConnectionTest::bodiesUpToTheBufferAreSent_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("sent");
    QTest::newRow("one below the buffer") << RestConnection::BufferBytes - 1 << true;
    QTest::newRow("exactly the buffer") << RestConnection::BufferBytes << true;
    QTest::newRow("one over the buffer") << RestConnection::BufferBytes + 1 << false;
}

// A body that does not fit is not sent and the request reports a failure, never success.
void RestConnectionTest::bodiesUpToTheBufferAreSent()
{
    QFETCH(int, bytes);
    QFETCH(bool, sent);
    FakeThermalCamera camera;
    QVERIFY(camera.listening());
    const Json::Value body = stringBody(bytes);
    QCOMPARE(int(RestConnection::bodyText(body).size()), bytes);

    RestConnection rest("127.0.0.1", camera.port());
    const int status = rest.put(Path, body);
    const std::vector<FakeThermalCamera::Request> puts = camera.requestsTo("PUT", Path);
    if (sent) {
        QCOMPARE(status, 200);
        QCOMPARE(int(puts.size()), 1);
        QCOMPARE(puts.front().body, RestConnection::bodyText(body));
    } else {
        QCOMPARE(status, RestConnection::BodyTooLong);
        QVERIFY(!RestConnection::succeeded(status));
        QVERIFY(puts.empty());
        QCOMPARE(camera.connections(), 0);
    }
}

void RestConnectionTest::repliesAreReadOnlyWhenWholeAndJson_data()
{
    QTest::addColumn<int>("replyStatus");
    QTest::addColumn<QByteArray>("replyBody");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("read");
    QTest::newRow("200 with an object") << 200 << QByteArray(R"({"w":640})") << 200 << true;
    QTest::newRow("201 like 200") << 201 << QByteArray(R"({"w":640})") << 201 << true;
    QTest::newRow("404") << 404 << QByteArray(R"({"w":640})") << 404 << false;
    QTest::newRow("not JSON") << 200 << QByteArray(R"({"w":64)") << RestConnection::MalformedReply << false;
    // Deeper than the reader's nesting limit: it throws rather than report an error.
    QTest::newRow("nested too deeply") << 200 << QByteArray(1020, '[') << RestConnection::MalformedReply << false;
    QTest::newRow("longer than the buffer") << 200
                                            << QByteArray(R"({"pad":")") + QByteArray(1100, 'p') + QByteArray(R"("})")
                                            << RestConnection::ReplyTooLong << false;
}

void RestConnectionTest::repliesAreReadOnlyWhenWholeAndJson()
{
    QFETCH(int, replyStatus);
    QFETCH(QByteArray, replyBody);
    QFETCH(int, status);
    QFETCH(bool, read);
    FakeThermalCamera camera;
    camera.setReply("GET", Path, replyStatus, replyBody.toStdString());
    camera.setReply("PUT", Path, replyStatus, replyBody.toStdString());

    RestConnection rest("127.0.0.1", camera.port());
    Json::Value reply(123);
    QCOMPARE(rest.get(Path, &reply), status);
    QCOMPARE(reply.isObject(), read);
    QVERIFY(read || reply.isNull());
    if (read)
        QCOMPARE(reply["w"].asInt(), 640);

    Json::Value putReply(123);
    QCOMPARE(rest.put(Path, Json::Value("auto"), &putReply), status);
    QCOMPARE(putReply.isObject(), read);
}

// The library copies no more than the buffer holds and says how long the reply was.
void RestConnectionTest::longReplyIsCountedNotOverrun()
{
    FakeThermalCamera camera;
    const std::string body(3000, 'b');
    camera.setReply("GET", Path, 200, body);
    restc_connection *connection = restc_create_connection("127.0.0.1", camera.port());
    QVERIFY(connection);
    std::vector<char> buffer(RestConnection::BufferBytes + 16, 'g');
    int length = -1;
    QCOMPARE(restc_get(connection, Path, 0, buffer.data(), RestConnection::BufferBytes, &length), 200);
    QCOMPARE(length, 3000);
    QCOMPARE(std::string(buffer.data(), size_t(RestConnection::BufferBytes)), body.substr(0, RestConnection::BufferBytes));
    QCOMPARE(std::string(buffer.data() + RestConnection::BufferBytes, 16), std::string(16, 'g'));
    restc_destroy_connection(connection);
}

void RestConnectionTest::brokenConnectionsFail_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("timeoutMs");
    QTest::newRow("closed in mid-reply") << int(FakeThermalCamera::Fault::CloseMidReply) << 2000;
    QTest::newRow("never answers") << int(FakeThermalCamera::Fault::NeverAnswer) << 500;
    QTest::newRow("answers after the time-out") << int(FakeThermalCamera::Fault::Delay) << 300;
}

// A reply that breaks off or does not come in time is a failed request, and the call returns
// once the time-out has passed.
void RestConnectionTest::brokenConnectionsFail()
{
    QFETCH(int, fault);
    QFETCH(int, timeoutMs);
    FakeThermalCamera camera;
    camera.setReply("GET", Path, 200, R"({"emissivity":0.95,"distance":2.5})");
    camera.setFault(FakeThermalCamera::Fault(fault), Path, 1500);

    RestConnection rest("127.0.0.1", camera.port());
    rest.setTimeout(timeoutMs);
    Json::Value reply;
    QElapsedTimer clock;
    clock.start();
    const int status = rest.get(Path, &reply);
    QVERIFY2(status < 0, qPrintable(QString::number(status)));
    QVERIFY(reply.isNull());
    if (FakeThermalCamera::Fault(fault) != FakeThermalCamera::Fault::CloseMidReply)
        // Less the 5 % by which a coarse timer may end early.
        QVERIFY2(clock.elapsed() >= timeoutMs * 95 / 100, qPrintable(QString::number(clock.elapsed())));
}

void RestConnectionTest::missingConnectionSendsNothing()
{
    RestConnection rest("127.0.0.1", 0);
    QVERIFY(!rest.isValid());
    Json::Value reply;
    QCOMPARE(rest.get(Path, &reply), RestConnection::NoConnection);
    QCOMPARE(rest.put(Path, Json::Value(1)), RestConnection::NoConnection);
    QCOMPARE(rest.post(Path, Json::Value()), RestConnection::NoConnection);
    rest.setTimeout(100);

    char buffer[8];
    int length = 0;
    QCOMPARE(restc_get(nullptr, Path, 0, buffer, 8, &length), int(RESTC_NO_CONNECTION));
    QVERIFY(!restc_create_connection("", 10080));
    QVERIFY(!restc_create_connection("127.0.0.1", 70000));
}

void RestConnectionTest::eachRequestHasItsOwnConnection()
{
    FakeThermalCamera camera;
    RestConnection rest("127.0.0.1", camera.port());
    Json::Value reply;
    QCOMPARE(rest.get("/sensor/dimension", &reply), 200);
    QCOMPARE(rest.put(Path, reply), 200);
    QCOMPARE(rest.post("/sensor/cali", Json::Value()), 200);
    QCOMPARE(int(camera.requests().size()), 3);
    QCOMPARE(camera.connections(), 3);
    QCOMPARE(camera.requests().at(2).body, std::string("null"));
}

QTEST_MAIN(RestConnectionTest)
#include "tst_RestConnection.moc"
