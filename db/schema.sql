-- Tidemark database layout (SQLite). Date-times are local-time text
-- 'YYYY-MM-DD HH:MM:SS'; statements compare them as text, so every row must be
-- stored in exactly that form for window edges to be found.

-- Catalogue of series: one row per datatype at a site.
CREATE TABLE rsite (
    datatype_site_id INTEGER PRIMARY KEY,
    site_name        TEXT,
    datatype_id      INTEGER,
    datatype_name    TEXT,
    unit_name        TEXT,
    station_id       INTEGER
);

-- Value tables: unit (typically 5-minute), hourly, daily, daily maximum, daily minimum.
CREATE TABLE runit (
    datatype_site_id INTEGER NOT NULL,
    date_time        TEXT    NOT NULL,
    value            REAL,
    PRIMARY KEY (datatype_site_id, date_time)
) WITHOUT ROWID;

CREATE TABLE rhour (
    datatype_site_id INTEGER NOT NULL,
    date_time        TEXT    NOT NULL,
    value            REAL,
    PRIMARY KEY (datatype_site_id, date_time)
) WITHOUT ROWID;

CREATE TABLE rday (
    datatype_site_id INTEGER NOT NULL,
    date_time        TEXT    NOT NULL,
    value            REAL,
    PRIMARY KEY (datatype_site_id, date_time)
) WITHOUT ROWID;

CREATE TABLE rdaymax (
    datatype_site_id INTEGER NOT NULL,
    date_time        TEXT    NOT NULL,
    value            REAL,
    PRIMARY KEY (datatype_site_id, date_time)
) WITHOUT ROWID;

CREATE TABLE rdaymin (
    datatype_site_id INTEGER NOT NULL,
    date_time        TEXT    NOT NULL,
    value            REAL,
    PRIMARY KEY (datatype_site_id, date_time)
) WITHOUT ROWID;

-- Update stamps written by the logger and the loader; the row with
-- datatype_site_id 0 carries the time of the last change to the database.
CREATE TABLE rupdate (
    datatype_site_id INTEGER NOT NULL,
    source           TEXT,
    date_time        TEXT    NOT NULL
);

-- Model runs: one row per run, trace and series; value_name holds the run's date-time.
CREATE TABLE mrundsid (
    run_id           INTEGER,
    trace            INTEGER,
    value_name       TEXT,
    datatype_site_id INTEGER,
    setup_string     TEXT
);

CREATE TABLE mhour (
    run_id           INTEGER,
    trace            INTEGER,
    datatype_site_id INTEGER,
    date_time        TEXT,
    value            REAL
);

CREATE TABLE munit (
    run_id           INTEGER,
    trace            INTEGER,
    datatype_site_id INTEGER,
    date_time        TEXT,
    value            REAL
);

CREATE INDEX mhour_series ON mhour (datatype_site_id, run_id, trace, date_time);
CREATE INDEX munit_series ON munit (datatype_site_id, run_id, trace, date_time);
