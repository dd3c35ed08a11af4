-- Tidemark database layout (PostgreSQL): the same tables and columns as schema.sql,
-- with date-times as local-time timestamps (no time zone).

CREATE TABLE rsite (
    datatype_site_id integer PRIMARY KEY,
    site_name        text,
    datatype_id      integer,
    datatype_name    text,
    unit_name        text,
    station_id       integer
);

CREATE TABLE runit (
    datatype_site_id integer   NOT NULL,
    date_time        timestamp NOT NULL,
    value            double precision,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rhour (
    datatype_site_id integer   NOT NULL,
    date_time        timestamp NOT NULL,
    value            double precision,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rday (
    datatype_site_id integer   NOT NULL,
    date_time        timestamp NOT NULL,
    value            double precision,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rdaymax (
    datatype_site_id integer   NOT NULL,
    date_time        timestamp NOT NULL,
    value            double precision,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rdaymin (
    datatype_site_id integer   NOT NULL,
    date_time        timestamp NOT NULL,
    value            double precision,
    PRIMARY KEY (datatype_site_id, date_time)
);

CREATE TABLE rupdate (
    datatype_site_id integer   NOT NULL,
    source           text,
    date_time        timestamp NOT NULL
);

CREATE TABLE mrundsid (
    run_id           integer,
    trace            integer,
    value_name       text,
    datatype_site_id integer,
    setup_string     text
);

CREATE TABLE mhour (
    run_id           integer,
    trace            integer,
    datatype_site_id integer,
    date_time        timestamp,
    value            double precision
);

CREATE TABLE munit (
    run_id           integer,
    trace            integer,
    datatype_site_id integer,
    date_time        timestamp,
    value            double precision
);

CREATE INDEX mhour_series ON mhour (datatype_site_id, run_id, trace, date_time);
CREATE INDEX munit_series ON munit (datatype_site_id, run_id, trace, date_time);
