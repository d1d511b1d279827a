#!/usr/bin/env python3
"""Reads the lamp of an instrument server: opens a session, locks the
instrument, sends "Get Lamp", unlocks and closes the session.

    PYTHONPATH=build/dev/python python3 examples/python/get_lamp.py unix:/run/user/1000/orvevizari.sock

The modules orve.instrument.v1.instrument_server_pb2(_grpc) are generated from
proto/orve/instrument/v1/instrument_server.proto by the build (build/<preset>/python).
Exit status: 0 done, 1 the server or the instrument refused, or the modules
are missing.
"""
import sys

try:
    import grpc

    from orve.instrument.v1 import instrument_server_pb2 as pb
    from orve.instrument.v1 import instrument_server_pb2_grpc as rpc
except ImportError as e:
    sys.exit(f"get_lamp.py: {e.msg}: it needs Debian's python3-grpcio (run it with "
             "/usr/bin/python3) and the stubs the build makes in build/<preset>/python, on "
             "PYTHONPATH")

CALL_SECONDS = 5.0


class Refused(Exception):
    pass


def checked(reply):
    """The reply, unless the instrument's side of the call raised."""
    if reply.HasField("failure"):
        raise Refused(f"error {reply.failure.number}: {reply.failure.text}")
    return reply


def main(address):
    with grpc.insecure_channel(address) as channel:
        stub = rpc.InstrumentServerStub(channel)
        # The session lives as long as this stream stays open.
        stream = stub.OpenSession(pb.OpenSessionRequest(client="get_lamp.py"))
        try:
            session = next(stream).opened.session
            locked = checked(stub.Lock(pb.LockRequest(session=session, lock=True),
                                       timeout=CALL_SECONDS))
            if locked.reply:
                raise Refused(f"the lock was refused: {locked.reply}")
            try:
                reply = checked(stub.ExecSynch(
                    pb.CommandRequest(session=session, command="Get Lamp"),
                    timeout=30.0))
                if reply.reply:
                    raise Refused(f"Get Lamp: {reply.reply}")
                print(f"Get Lamp: {reply.answer}")
            finally:
                checked(stub.Lock(pb.LockRequest(session=session, lock=False),
                                  timeout=CALL_SECONDS))
            stub.CloseSession(pb.SessionRef(session=session), timeout=CALL_SECONDS)
        finally:
            stream.cancel()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: get_lamp.py ADDRESS   (unix:PATH or HOST:PORT)")
    try:
        main(sys.argv[1])
    except grpc.RpcError as e:
        print(f"get_lamp.py: instrument server {sys.argv[1]}: "
              f"{e.code().name.lower()}: {e.details()}", file=sys.stderr)
        sys.exit(1)
    except Refused as e:
        print(f"get_lamp.py: {e}", file=sys.stderr)
        sys.exit(1)
