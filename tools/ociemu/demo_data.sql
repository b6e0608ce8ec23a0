-- Demo rows: NULLs, non-Latin text, line breaks, long texts and LOBs, a date before 1900.
-- RAW and BLOB values are X'..' literals; big exact numbers are stored as text blobs
-- (CAST(.. AS BLOB)) so that SQLite's numeric affinity cannot round them to a double.

INSERT INTO OCIEMU_USERS VALUES ('DEMO', 'demo', 'N'), ('LOCKED_USER', 'locked', 'Y');
INSERT INTO OCIEMU_TABLE_FLAGS VALUES ('SESSION_SCRATCH', 'Y', 'NO', NULL);

INSERT INTO DEPARTMENTS VALUES
 (10, 'Administration', 'Администрация', 'ADM', 'RU', 120000.50, '1979-06-01 00:00:00', 'Order in everything'),
 (20, 'Research', 'Έρευνα', 'RES', 'GR', 987654.25, '1985-02-14 00:00:00', 'Ask why, then ask again'),
 (30, 'Sales', '销售部', 'SAL', 'CN', 450000, '1990-09-30 00:00:00', '先问客户'),
 (40, 'Operations', NULL, 'OPS', NULL, NULL, '1888-03-12 00:00:00', NULL),
 (50, 'Shipping', 'Expédition', 'SHP', 'FR', 75000.75, '2001-11-05 00:00:00', 'Ça roule'),
 (60, 'Support', 'Поддержка клиентов', 'SUP', 'UA', 0.5, '2010-01-01 00:00:00', 'We answer'),
 (70, 'Legal', NULL, 'LEG', 'DE', 1, NULL, 'Paragraph '||char(10)||'second line');

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)
INSERT INTO EMPLOYEES
SELECT 1000 + i,
       CASE WHEN i % 25 = 0 THEN NULL ELSE 10 * (1 + i % 7) END,
       CASE i % 5 WHEN 0 THEN 'Анна' WHEN 1 THEN 'John' WHEN 2 THEN 'Σοφία' WHEN 3 THEN '伟' ELSE NULL END,
       'Employee' || i,
       CASE WHEN i % 9 = 0 THEN NULL ELSE 'employee' || i || '@example.com' END,
       printf('%04d-%02d-%02d 09:00:00', 1995 + i % 28, 1 + i % 12, 1 + i % 28),
       CASE WHEN i = 7 THEN '1899-12-30 00:00:00' WHEN i % 11 = 0 THEN NULL
            ELSE printf('%04d-%02d-%02d 00:00:00', 1950 + i % 45, 1 + i % 12, 1 + i % 27) END,
       CASE WHEN i % 13 = 0 THEN NULL ELSE 2500 + i * 37.25 END,
       CASE WHEN i % 4 = 0 THEN 0.15 ELSE NULL END,
       CASE WHEN i % 6 = 0 THEN NULL ELSE (i % 50) / 10.0 END,
       i * 1.5,
       CASE WHEN i % 17 = 0 THEN 'LEAVE' ELSE 'ACTIVE' END,
       CASE WHEN i % 3 = 0 THEN NULL ELSE X'0102030405060708' END,
       printf('2024-%02d-%02d %02d:%02d:%02d.%06d', 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i * 7) % 60, i * 4321),
       printf('2023-06-01 %02d:00:00.%03d', 6 + i % 4, i % 1000),
       CASE WHEN i % 10 = 0 THEN NULL
            WHEN i = 1 THEN 'Line one' || char(10) || 'Line two' || char(13) || char(10) || 'Line three'
            ELSE 'Notes for employee ' || i || ': ' || replace(hex(zeroblob(20 + i % 20)), '00', 'ok ') END
FROM n;

-- A text over 255 characters with line breaks, and a CLOB of more than 100,000 characters.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60)
INSERT INTO PRODUCTS
SELECT i,
       CASE i % 4 WHEN 0 THEN 'Widget ' || i WHEN 1 THEN 'Виджет ' || i WHEN 2 THEN 'Γρανάζι ' || i ELSE '齿轮 ' || i END,
       CASE WHEN i = 1 THEN 'A long description.' || char(10) || replace(hex(zeroblob(150)), '00', 'abc ')
            WHEN i % 7 = 0 THEN NULL ELSE 'Product number ' || i END,
       round(9.99 + i * 3.5, 2),
       CASE WHEN i % 8 = 0 THEN NULL ELSE i / 3.0 END,
       CASE WHEN i % 8 = 0 THEN NULL ELSE i * 0.25 END,
       CAST('12345678901234567890' || printf('%05d', i) AS BLOB),
       CASE WHEN i % 5 = 0 THEN NULL ELSE CAST(printf('%d.%010d', 123456789 + i, i * 7) AS BLOB) END,
       CASE WHEN i % 6 = 0 THEN NULL ELSE X'00112233445566778899AABBCCDDEEFF' END,
       CASE WHEN i = 1 THEN 'Data sheet ' || char(10) || replace(hex(zeroblob(10000)), '00', 'Страница 12 ')
            WHEN i % 9 = 0 THEN NULL WHEN i = 2 THEN '' ELSE 'Data sheet of product ' || i END,
       CASE WHEN i % 9 = 0 THEN NULL WHEN i = 2 THEN X'' ELSE X'89504E470D0A1A0A0000000D49484452' END,
       CASE WHEN i % 3 = 0 THEN NULL ELSE 'Legacy note ' || i || char(10) || 'continued' END,
       printf('2022-%02d-%02d 12:34:56.%09d', 1 + i % 12, 1 + i % 28, 123456789 - i),
       printf('+%02d-%02d', i % 5, i % 12),
       CASE WHEN i % 10 = 0 THEN NULL ELSE i END
FROM n;

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500)
INSERT INTO ORDERS
SELECT 500000 + i,
       1001 + i % 200,
       printf('%04d-%02d-%02d 00:00:00', 2015 + i % 10, 1 + i % 12, 1 + i % 28),
       CASE WHEN i % 4 = 0 THEN NULL ELSE printf('2024-%02d-%02d 10:00:00.000000 %s', 1 + i % 12, 1 + i % 28,
            CASE i % 3 WHEN 0 THEN '+05:00' WHEN 1 THEN '-08:00' ELSE '+00:00' END) END,
       printf('2024-%02d-%02d 18:30:00.250000', 1 + i % 12, 1 + i % 28),
       printf('+%02d %02d:%02d:00.000000', i % 10, i % 24, i % 60),
       round(i * 12.34, 2),
       CASE i % 3 WHEN 0 THEN 'N' WHEN 1 THEN 'S' ELSE 'D' END,
       CASE WHEN i % 20 = 0 THEN 'Доставка в понедельник' WHEN i % 21 = 0 THEN '周一送货' ELSE NULL END
FROM n;

WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 1999)
INSERT INTO ORDER_LINES
SELECT 500001 + i / 4, 1 + i % 4, 1 + i % 60, 1 + i % 9, round(5 + (i % 60) * 1.75, 2),
       CASE WHEN i % 5 = 0 THEN 0.1 ELSE NULL END
FROM n;

INSERT INTO DOCUMENTS VALUES
 (1, 'Charter', 'Устав компании' || char(10) || 'Статья 1', X'FFD8FFE000104A464946', 'bfilename(''DOCS'', ''charter.pdf'')',
  '<doc><title>Charter</title></doc>', 'AAAR3sAAEAAAACXAAA', 'AAAR3sAAEAAAACXAAB'),
 (2, 'Σύμβαση', 'Κείμενο σύμβασης', NULL, NULL, '<doc/>', 'AAAR3sAAEAAAACXAAC', NULL),
 (3, '合同', '合同正文', X'00', NULL, NULL, NULL, NULL),
 (4, 'Empty', '', X'', NULL, NULL, NULL, NULL),
 (5, 'Nothing', NULL, NULL, NULL, NULL, NULL, NULL);

INSERT INTO "REGION:SALES/2024" VALUES
 ('North', 1, 125000.5, 0.0525), ('North', 2, 130250, 0.042), ('South', 1, 98000.25, -0.0125),
 ('South', 2, NULL, NULL), ('East', 1, 0, 0), ('West', 3, 1234567.89, 1.5);

INSERT INTO SESSION_SCRATCH VALUES (1, 'scratch 1'), (2, 'scratch 2'), (3, NULL), (4, 'x'), (5, 'y');
