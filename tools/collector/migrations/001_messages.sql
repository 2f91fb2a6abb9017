-- Every message of every cabinet, once: the primary key makes a message seen twice change nothing.
CREATE TABLE messages (
    cabinet text NOT NULL,
    seq bigint NOT NULL,
    kind text NOT NULL,
    sent_at timestamptz NOT NULL,
    received_at timestamptz NOT NULL DEFAULT now(),
    body jsonb NOT NULL,
    PRIMARY KEY (cabinet, seq)
);
CREATE INDEX messages_kind ON messages (kind, cabinet, seq);

-- One row a cabinet: whether it is online, and when it was last heard from.
CREATE TABLE cabinets (
    cabinet text PRIMARY KEY,
    state text NOT NULL DEFAULT 'unknown',
    state_since timestamptz,
    last_seen timestamptz,
    last_seq bigint NOT NULL DEFAULT 0
);

-- Every change of a cabinet's state, as the broker told it.
CREATE TABLE status_log (
    cabinet text NOT NULL,
    at timestamptz NOT NULL DEFAULT now(),
    state text NOT NULL
);
CREATE INDEX status_log_cabinet ON status_log (cabinet, at);

-- Messages that could not be read, kept for the operator to look at.
CREATE TABLE rejected (
    at timestamptz NOT NULL DEFAULT now(),
    topic text NOT NULL,
    payload text NOT NULL,
    reason text NOT NULL
);

-- The credit service's ledger of each cabinet.
CREATE VIEW ledger AS
SELECT cabinet, seq,
       (body->>'id')::bigint AS entry,
       (body->>'time')::timestamptz AS at,
       body->>'request' AS request,
       (body->>'amount')::bigint AS amount,
       (body->>'credit')::bigint AS credit,
       (body->>'bank')::bigint AS bank
FROM messages WHERE kind = 'ledger';

-- Finished games, from the cabinet's recall.
CREATE VIEW games AS
SELECT cabinet, seq,
       (body->>'seq')::bigint AS game,
       body->>'start' AS started,
       body->>'end' AS ended,
       (body->>'stake')::bigint AS stake,
       (body->>'prize')::bigint AS prize,
       (body->>'band')::int AS band,
       body->>'payment' AS payment,
       sent_at
FROM messages WHERE kind = 'game';

CREATE VIEW meters AS
SELECT cabinet, seq, (body->>'after_game')::bigint AS after_game, (body->>'band')::int AS band,
       body->'balance' AS balance, body->'counters' AS counters, sent_at
FROM messages WHERE kind = 'meters';

CREATE VIEW faults AS
SELECT cabinet, seq, body->>'line' AS line, sent_at FROM messages WHERE kind = 'fault';

CREATE VIEW heartbeats AS
SELECT cabinet, seq, (body->>'uptime')::bigint AS uptime, (body->>'free_disk')::bigint AS free_disk,
       body->'versions' AS versions, (body->>'outbox')::bigint AS outbox, sent_at
FROM messages WHERE kind = 'heartbeat';
