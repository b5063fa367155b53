/* Reference data of the demo database for the fiscal year @YEAR@ (ASCII only). */
insert into FOKONYV values ('311',  'V', 'Y', @YEAR@, 'Vevok');
insert into FOKONYV values ('3111', 'v', 'Y', @YEAR@, 'Vevok devizas @EUR');
insert into FOKONYV values ('454',  'S', 'Y', @YEAR@, 'Szallitok');
insert into FOKONYV values ('4541', 'S', 'Y', @YEAR@, 'Belfoldi szallitok');
insert into FOKONYV values ('3841', 'B', 'Y', @YEAR@, 'Bank');
insert into FOKONYV values ('381',  'P', 'Y', @YEAR@, 'Penztar');
insert into FOKONYV values ('541',  'X', 'Y', @YEAR@, 'Berek');
insert into FOKONYV values ('471',  'X', 'Y', @YEAR@, 'Fizetendo berek');
insert into FOKONYV values ('462',  'X', 'Y', @YEAR@, 'SZJA');
insert into FOKONYV values ('911',  'X', 'Y', @YEAR@, 'Belfoldi arbevetel');
insert into FOKONYV values ('521',  'X', 'Y', @YEAR@, 'Anyagkoltseg');
insert into FOKONYV values ('466',  'K', 'Y', @YEAR@, 'Elozetesen felszamitott AFA');
insert into FOKONYV values ('467',  'T', 'Y', @YEAR@, 'Fizetendo AFA');
insert into AFA values ('27%', 27, @YEAR@, '466', '467');
insert into AFA values ('AM',   0, @YEAR@, '466', '467');
insert into FELCSOP values ('ANYAG', '454', '521');
insert into FELAFA values ('HARVOLEN', 'A27', '27%', '');
insert into UGYFEL (UG_ID, UG_MOD, UG_ROVID, UG_CEG, UG_KARTON, UG_ADOSZAM, UG_US_NEV, UG_EV)
  values (gen_id(UG_ID_SEQ, 1), 'V', 'Ismert Kft', 'Ismert Kereskedelmi Kft', '311', '87654321-2-41',
          '@demo', @YEAR@);
commit;
