#pragma once
// A transaction on a connection for the life of the object: begun when it is made, kept by
// confirma(), undone when the object goes out of scope unconfirmed (an exception, an early
// return). Inside a transaction already open on the connection (the caller's own, or a session
// without autocommit) it works by a savepoint of its own: confirma() leaves its work to the
// caller's transaction, and undoing takes back only its own work.

#include <QString>

namespace quilmaro {

class Conexion;

class Transaccion {
  public:
    // Throws the connection's failure when the transaction cannot begin.
    explicit Transaccion(Conexion& cnn);
    // Undoes whatever was not confirmed; a failure there is not reported (a server that went
    // away has undone it already).
    ~Transaccion();
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;

    // Commits (or releases the savepoint); throws the connection's failure, and the destructor
    // then undoes what it can.
    void confirma();
    // False when it runs inside the caller's transaction, on a savepoint.
    bool propia() const { return punto_.isEmpty(); }

  private:
    Conexion& cnn_;
    QString punto_;
    bool terminada_ = false;
};

}  // namespace quilmaro
