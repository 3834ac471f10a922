#ifndef PLATFORM_RESTC_RESTC_H
#define PLATFORM_RESTC_RESTC_H

// A small blocking REST client: one connection object per camera host and port, plain HTTP
// requests with a caller's buffer for the body on the way out and the reply on the way back.
// Every request opens a TCP connection of its own and closes it when the reply is in.
// A connection object is used by one thread at a time; different objects may be used on
// different threads.

#ifdef __cplusplus
extern "C" {
#endif

typedef struct restc_connection restc_connection;

// Results of a request that got no HTTP reply; a reply gives its status code (100..599).
enum {
    RESTC_NO_CONNECTION = -1,   // null handle
    RESTC_BAD_ARGUMENT = -2,    // null path, buffer or length, or a negative capacity or length
    RESTC_TRANSPORT_ERROR = -3  // not connected, timed out, or the reply broke off
};

// The request time-out until restc_set_timeout changes it.
#define RESTC_DEFAULT_TIMEOUT_MS 3000

// Null when host is null or empty, port is outside 1..65535 or no handle could be made; the
// connection itself is made by each request.
restc_connection *restc_create_connection(const char *host, int port);
void restc_destroy_connection(restc_connection *connection);
// The longest a whole request may take, connecting included; 0 or less keeps the default.
void restc_set_timeout(restc_connection *connection, int milliseconds);
// Basic authorization for every later request of the process; an empty user sends none.
void restc_set_authroization(const char *user, const char *password);

// GET path. The reply body goes to buffer, at most capacity bytes; *length receives the
// length of the whole reply body, which is more than capacity when the reply did not fit.
// flags must be 0. Returns the HTTP status or one of the negative results above.
int restc_get(restc_connection *connection, const char *path, int flags, char *buffer, int capacity,
              int *length);
// PUT and POST path with the first *length bytes of buffer as a JSON body; the reply comes
// back as with restc_get, *length then holding its length.
int restc_put(restc_connection *connection, const char *path, int flags, char *buffer, int capacity,
              int *length);
int restc_post(restc_connection *connection, const char *path, int flags, char *buffer, int capacity,
               int *length);

#ifdef __cplusplus
}
#endif

#endif
