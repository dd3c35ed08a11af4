-- Tidemark database layout (MariaDB): the same tables and columns as schema.sql, with
-- date-times as local-time DATETIME kept to the millisecond (a row half a second past a
-- window's end must stay outside it, as on the other engines).

CREATE TABLE rsite (
    datatype_site_id INT PRIMARY KEY,
    site_name        TEXT,
    datatype_id      INT,
    datatype_name    TEXT,
    unit_name        TEXT,
    station_id       INT
);

CREATE TABLE runit (
    datatype_site_id INT         NOT NULL,
    date_time        DATETIME(3) NOT NULL,
    value            DOUBLE,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rhour (
    datatype_site_id INT         NOT NULL,
    date_time        DATETIME(3) NOT NULL,
    value            DOUBLE,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rday (
    datatype_site_id INT         NOT NULL,
    date_time        DATETIME(3) NOT NULL,
    value            DOUBLE,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rdaymax (
    datatype_site_id INT         NOT NULL,
    date_time        DATETIME(3) NOT NULL,
    value            DOUBLE,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rdaymin (
    datatype_site_id INT         NOT NULL,
    date_time        DATETIME(3) NOT NULL,
    value            DOUBLE,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rupdate (
    datatype_site_id INT         NOT NULL,
    source           TEXT,
    date_time        DATETIME(3) NOT NULL
);

CREATE TABLE mrundsid (
    run_id           INT,
    trace            INT,
    value_name       TEXT,
    datatype_site_id INT,
    setup_string     TEXT
);

CREATE TABLE mhour (
    run_id           INT,
    trace            INT,
    datatype_site_id INT,
    date_time        DATETIME(3),
    value            DOUBLE
);

CREATE TABLE munit (
    run_id           INT,
    trace            INT,
    datatype_site_id INT,
    date_time        DATETIME(3),
    value            DOUBLE
);

CREATE INDEX mhour_series ON mhour (datatype_site_id, run_id, trace, date_time);
CREATE INDEX munit_series ON munit (datatype_site_id, run_id, trace, date_time);
