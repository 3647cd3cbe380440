-- Rows of the test database datos1 (after esquema-datos1.sql). Tests rely on these values.

INSERT INTO clientes (Cliente, Nombre, RFC, Domicilio, Colonia, CP, Ciudad, Estado, Telefono,
                      Correo, Contacto, LimiteCredito, DiasCredito, Alta) VALUES
('C0001', 'ABARROTES LA ESPERANZA', 'AES9001152K7', 'AV. HIDALGO 120', 'CENTRO', '44100',
 'GUADALAJARA', 'JALISCO', '(33) 3614-2210', 'compras@laesperanza.mx', 'JOSÉ RAMÍREZ', 50000.00, 30,
 '2015-03-02'),
('C0002', 'MISCELÁNEA DOÑA LUPE', 'MDL0507217H3', 'CALLE MORELOS 45', 'SAN JUAN DE DIOS', '44360',
 'GUADALAJARA', 'JALISCO', '(33) 3617-0042', NULL, 'GUADALUPE PEÑA', 15000.00, 15, '2018-07-19'),
('C0003', 'REFACCIONARIA O''HIGGINS "EL GÜERO" \\ NORTE', 'ROH1102284P1', 'BLVD. DEL NORTE 880',
 'INDUSTRIAL', '64440', 'MONTERREY', 'NUEVO LEÓN', '(81) 8375-9911 EXT. 3', NULL, NULL, NULL, 0,
 NULL),
('C0004', 'FLORERÍA 🌹 LA ROSA', NULL, 'PRIV. ÁLAMOS 7-B', 'LAS ÁGUILAS', '01710', 'ÁLVARO OBREGÓN',
 'CIUDAD DE MÉXICO', '55 5593 1120', NULL, NULL, 8000.00, 0, '2021-11-30');

INSERT INTO facturas (ID, Serie, Factura, Fecha, Cliente, Nombre, Subtotal, IVA, ImpuestoAd,
                      Descuento, Moneda, TipoCambio, Captura, Vencimiento, Vendedor, Cancelada,
                      Observaciones) VALUES
(1, 'A', 125, '2024-03-05', 'C0001', 'ABARROTES LA ESPERANZA', 1000, 160, 0, 50.00, 'MXN', NULL,
 '2024-03-05 09:41:07', '2024-04-04', 3, 0, 'Entregar por la puerta de atrás.'),
(2, 'A', 126, '2024-03-05', 'C0002', 'MISCELÁNEA DOÑA LUPE', 0.5, 0, 0, NULL, 'MXN', NULL,
 '2024-03-05 12:03:55', '2024-03-20', 3, 0, NULL),
(3, 'B', 7, '2024-03-06', 'C0003', 'REFACCIONARIA O''HIGGINS "EL GÜERO" \\ NORTE', 12500.75,
 2000.12, 1000.06, NULL, 'MXN', NULL, NULL, '2024-04-05', 2, 0,
 'Pedido "urgente" de l''almacén \\ norte'),
(4, 'B', 8, '2024-03-07', 'C0004', 'FLORERÍA 🌹 LA ROSA', 862.07, 137.93, 0, 0.00, 'USD', 17.0532,
 '2024-03-07 17:30:00', '2024-03-07', 1, 0, 'Pago en dólares 💵'),
(5, 'C', 1, '2023-12-31', 'C0001', 'ABARROTES LA ESPERANZA', 250000, 40000, 20000, 1250.50, 'MXN',
 NULL, '2023-12-31 23:59:59', '2024-01-30', 2, 1, REPEAT('Texto largo de observaciones. ', 40));

INSERT INTO sistema (Dato, Contenido, Tipo, Comentario) VALUES
('FA-', '0', 'N', 'Serie sin letra'),
('FA-A', '126', 'N', 'Último folio de la serie A'),
('FA-B', '8', 'N', 'Último folio de la serie B'),
('FA-C', '1', 'N', 'Último folio de la serie C'),
('NC-A', '14', 'N', 'Notas de crédito');

INSERT INTO configuracion (Dato, Contenido, Tipo, Comentario) VALUES
('EMPRESA', 'DISTRIBUIDORA VELMORITA, S.A. DE C.V.', 'C', 'Razón social'),
('TASAIVA', '16', 'N', 'Tasa general de IVA'),
('INICIOEJERCICIO', '01/ene/2024', 'F', 'Primer día del ejercicio'),
('USADOLARES', '1', 'L', 'Se facturan operaciones en dólares'),
('FOLIOREPARTO', '41', 'N', 'Último folio de guía de reparto');

INSERT INTO memos (Llave, Registro, Contenido) VALUES
('LEYENDA', 1, 'Este documento es una representación impresa de un CFDI.'),
('LEYENDA', 2, ' Pago en una sola exhibición.');
