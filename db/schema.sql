/* The objects of the accounting database that the importer reads and writes, for Firebird 3.
   Apply to an existing database created with dialect 3 and character set WIN1250:
       isql-fb -user SYSDBA -i db/schema.sql /path/to/database.fdb
   The tests apply it through their fixture. */

create table FOKONYV (
    FO_KARTON  varchar(20) not null,
    FO_TYP     varchar(1),
    FO_COMPLET varchar(1),
    FO_EV      double precision not null,
    FO_MEGNEV  varchar(80)
);
create index FOKONYV_KARTON_EV on FOKONYV (FO_KARTON, FO_EV);

create table AFA (
    AF_NEV   varchar(20) not null,
    AF_ERTEK integer,
    AF_EV    double precision not null,
    AF_VT466 varchar(20),
    AF_BK467 varchar(20)
);
create index AFA_NEV_EV on AFA (AF_NEV, AF_EV);

create table FELCSOP (
    CS_CSOPORT varchar(20) not null,
    CS_KARTON  varchar(20),
    CS_ELLEN   varchar(20)
);

create table FELAFA (
    FA_FELADO varchar(20) not null,
    FA_FELAFA varchar(20) not null,
    FA_AF_NEV varchar(20),
    FA_AF_DEV varchar(20)
);

create table NAPLO (
    NA_NO    integer not null primary key,
    NA_TYP   varchar(1),
    NA_OWNER varchar(20),
    NA_TIME  timestamp,
    NA_EV    double precision
);
create index NAPLO_OWNER_TYP on NAPLO (NA_OWNER, NA_TYP);

create table UGYFEL (
    UG_ID       integer not null primary key,
    UG_MOD      varchar(1),
    UG_ROVID    varchar(40),
    UG_CEG      varchar(80),
    UG_KARTON   varchar(20),
    UG_ADOSZAM  varchar(20),
    UG_BANKSZAM varchar(40),
    UG_HELY     varchar(40),
    UG_UTCA     varchar(80),
    UG_US_NEV   varchar(10),
    UG_EV       double precision
);
create index UGYFEL_ROVID on UGYFEL (UG_ROVID, UG_KARTON, UG_EV);

create table FEJLEC (
    FE_ID        integer not null primary key,
    FE_MO_CHAR   varchar(1),
    FE_NAPLO     integer,
    FE_JELLEG    varchar(1),
    FE_UG_ID     integer,
    FE_BIZONYLAT varchar(40),
    FE_HIVATKOZ  varchar(40),
    FE_NYOMSZAM  varchar(40),
    FE_KARTON    varchar(20),
    FE_TOTAL     double precision,
    FE_AFATOTAL  double precision,
    FE_DEVTOTAL  double precision,
    FE_DEVKURZ   double precision,
    FE_DEV       varchar(3),
    FE_KELTE     timestamp,
    FE_PENZUGY   varchar(40),
    FE_MEGJEGY   varchar(254),
    FE_TELJESIT  timestamp,
    FE_AFATELJ   timestamp,
    FE_HATARIDO  timestamp,
    FE_FUZMOD    varchar(20),
    FE_RENDEL    varchar(40),
    FE_IRANY     varchar(1),
    FE_MARAD     double precision,
    FE_AFAMARAD  double precision,
    FE_STATUS    varchar(1),
    FE_US_NEV    varchar(10),
    FE_EV        double precision,
    FE_GY_NEV    varchar(40),
    FE_ERR       integer,
    FE_ERROR     varchar(254)
);
create index FEJLEC_BIZONYLAT on FEJLEC (FE_BIZONYLAT, FE_UG_ID);

create table TETEL (
    TE_ID        integer not null primary key,
    TE_FE_ID     integer not null,
    TE_FE_IRANY  varchar(1),
    TE_ELLEN     varchar(20),
    TE_AFASZAMLA varchar(20),
    TE_SUM       double precision,
    TE_AFASUM    double precision,
    TE_GY_NEV    varchar(40),
    TE_AF_NEV    varchar(20),
    TE_AF_ERTEK  integer,
    TE_MEGJEGY   varchar(254),
    TE_MEGJEGY_E varchar(254),
    TE_MEGJEGY_D varchar(254),
    TE_FE_STATUS varchar(1),
    TE_US_NEV    varchar(10),
    TE_EV        double precision,
    TE_KO_NEV    varchar(40),
    TE_MU_NEV    varchar(40),
    TE_ERR       integer,
    TE_ERROR     varchar(254)
);
create index TETEL_FE_ID on TETEL (TE_FE_ID);

/* The importer's own bookkeeping. INZ_FILE holds one record per input file, keyed by the
   SHA-256 of its content; a run working on a file keeps that record locked, so no other run
   can take the file up meanwhile. INZ_ROW holds one record per handled row, inserted in the
   row's own transaction, so the database alone says which rows of a file are in; it is read
   to continue a stopped file; once the file has finished its rows move to INZ_ROW_DONE, to take
   an import back. INZ_IMPORT holds one record per posting of a file (a content
   posted again is another import); a row's record carries its voucher line and the fingerprint
   of its voucher as it stood after the row. The importer creates every table, column, index and
   sequence of this section that a database lacks (columns added later must allow nulls); the
   names of tables, indexes and sequences start with INZ_. */
/* INZ_BEGIN */
create table INZ_FILE (
    IF_KEY       varchar(64) not null primary key,
    IF_NAME      varchar(255) character set octets,
    IF_TYPE      varchar(5),
    IF_ROWS      integer,
    IF_STATE     varchar(8) not null,
    IF_STARTED   timestamp,
    IF_RESUMED   timestamp,
    IF_ENDED     timestamp,
    IF_POSTED    integer,
    IF_FLAGGED   integer,
    IF_REJECTED  integer,
    IF_VOUCHERS  integer,
    IF_CUSTOMERS integer,
    IF_JOURNALS  integer,
    IF_IMPORT    integer
);

create table INZ_ROW (
    IR_KEY        varchar(64) not null,
    IR_ROW        integer not null,
    IR_TEXT       varchar(8000) character set octets,
    IR_YEAR       double precision,
    IR_HEADER_ID  integer,
    IR_VOUCHER    varchar(254) character set octets,
    IR_CUSTOMER   integer,
    IR_TOTAL      double precision,
    IR_ACCOUNT    varchar(254) character set octets,
    IR_DIRECTION  varchar(1),
    IR_ISSUED     timestamp,
    IR_CU_SHORT   varchar(254) character set octets,
    IR_CU_ACCOUNT varchar(254) character set octets,
    IR_CU_COMPANY varchar(254) character set octets,
    IR_CU_TAX     varchar(254) character set octets,
    IR_CU_BANK    varchar(254) character set octets,
    IR_POSTED     integer,
    IR_FLAGGED    integer,
    IR_REJECTED   integer,
    IR_VOUCHERS   integer,
    IR_CUSTOMERS  integer,
    IR_JOURNALS   integer,
    IR_IMPORT     integer,
    IR_LINE_ID    integer,
    IR_LINES      integer,
    IR_PRINT      varchar(64),
    IR_USER       varchar(254) character set octets
);

/* The row records of a finished file, kept for good: history and undo find an import's rows
   through their index. They move here when the file finishes, in one statement, so that posting
   a row writes no index page. */
create table INZ_ROW_DONE (
    IR_KEY        varchar(64) not null,
    IR_ROW        integer not null,
    IR_TEXT       varchar(8000) character set octets,
    IR_YEAR       double precision,
    IR_HEADER_ID  integer,
    IR_VOUCHER    varchar(254) character set octets,
    IR_CUSTOMER   integer,
    IR_TOTAL      double precision,
    IR_ACCOUNT    varchar(254) character set octets,
    IR_DIRECTION  varchar(1),
    IR_ISSUED     timestamp,
    IR_CU_SHORT   varchar(254) character set octets,
    IR_CU_ACCOUNT varchar(254) character set octets,
    IR_CU_COMPANY varchar(254) character set octets,
    IR_CU_TAX     varchar(254) character set octets,
    IR_CU_BANK    varchar(254) character set octets,
    IR_POSTED     integer,
    IR_FLAGGED    integer,
    IR_REJECTED   integer,
    IR_VOUCHERS   integer,
    IR_CUSTOMERS  integer,
    IR_JOURNALS   integer,
    IR_IMPORT     integer,
    IR_LINE_ID    integer,
    IR_LINES      integer,
    IR_PRINT      varchar(64),
    IR_USER       varchar(254) character set octets
);
create index INZ_ROW_DONE_IMPORT on INZ_ROW_DONE (IR_IMPORT, IR_ROW);

create table INZ_IMPORT (
    II_ID        integer not null primary key,
    II_KEY       varchar(64) not null,
    II_NAME      varchar(255) character set octets,
    II_TYPE      varchar(5),
    II_ROWS      integer,
    II_STATE     varchar(8) not null,
    II_STARTED   timestamp,
    II_ENDED     timestamp,
    II_DB_USER   varchar(63),
    II_UNDONE    timestamp,
    II_UNDONE_BY varchar(63)
);
create index INZ_IMPORT_KEY on INZ_IMPORT (II_KEY);
create sequence INZ_IMPORT_ID;

/* A run about to create a customer or the day's journal of a book first writes this guard's
   record of it in the same transaction: a run of another site creating the same one meets the
   record while it is uncommitted and waits, and looks again once it is committed. Nothing reads
   the records; the key names what was created ("U|year|account|short name", "N|book|day"). */
create table INZ_GUARD (
    IG_KEY   varchar(250) character set octets not null primary key,
    IG_TAKEN timestamp
);
/* INZ_END */

/* Identifiers come from sequences: a new value on every call, never reused, also when the
   transaction that drew it rolls back. */
create sequence FE_ID_SEQ;
create sequence TE_ID_SEQ;
create sequence UG_ID_SEQ;
create sequence NA_NO_SEQ;

set term ^ ;

create procedure FE_NEXT returns (G integer)
as
begin
    G = next value for FE_ID_SEQ;
end^

create procedure TE_NEXT returns (G integer)
as
begin
    G = next value for TE_ID_SEQ;
end^

create procedure UG_NEXT returns (G integer)
as
begin
    G = next value for UG_ID_SEQ;
end^

/* A new journal of book A for year EV, stamped now; OWN "@IMPORT" is stored as "IMPORT". */
create procedure ACT_NAPLO (A varchar(1), NP integer, OWN varchar(20), EV double precision)
returns (N integer)
as
begin
    N = next value for NA_NO_SEQ;
    insert into NAPLO (NA_NO, NA_TYP, NA_OWNER, NA_TIME, NA_EV)
    values (:N, :A, iif(:OWN starting with '@', substring(:OWN from 2), :OWN),
            current_timestamp, :EV);
end^

/* A date as text by a pattern: yyyy, mm, dd, hh, nn, ss (lower or upper case). */
create function F_DATE (D timestamp, FMT varchar(40)) returns varchar(40)
as
declare variable R varchar(40);
begin
    if (D is null or FMT is null) then return null;
    R = FMT;
    R = replace(replace(R, 'yyyy', lpad(extract(year from D), 4, '0')), 'YYYY',
                lpad(extract(year from D), 4, '0'));
    R = replace(replace(R, 'mm', lpad(extract(month from D), 2, '0')), 'MM',
                lpad(extract(month from D), 2, '0'));
    R = replace(replace(R, 'dd', lpad(extract(day from D), 2, '0')), 'DD',
                lpad(extract(day from D), 2, '0'));
    R = replace(replace(R, 'hh', lpad(extract(hour from D), 2, '0')), 'HH',
                lpad(extract(hour from D), 2, '0'));
    R = replace(replace(R, 'nn', lpad(extract(minute from D), 2, '0')), 'NN',
                lpad(extract(minute from D), 2, '0'));
    R = replace(replace(R, 'ss', lpad(cast(floor(extract(second from D)) as integer), 2, '0')),
                'SS', lpad(cast(floor(extract(second from D)) as integer), 2, '0'));
    return R;
end^

set term ; ^

commit;
